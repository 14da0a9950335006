#include "ReportBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace pravik {

namespace {

QStyle::StandardPixmap pixmapOf(QMessageBox::Icon icon)
{
    switch (icon) {
    case QMessageBox::Critical: return QStyle::SP_MessageBoxCritical;
    case QMessageBox::Warning: return QStyle::SP_MessageBoxWarning;
    case QMessageBox::Question: return QStyle::SP_MessageBoxQuestion;
    default: return QStyle::SP_MessageBoxInformation;
    }
}

} // namespace

void showReportBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& caption)
{
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    const QString heading = lineEnd < 0 ? text : text.left(lineEnd);
    const QString details = lineEnd < 0 ? QString() : text.mid(lineEnd + 1);

    QDialog box(parent);
    box.setWindowTitle(caption);
    auto* iconLabel = new QLabel(&box);
    const int iconSize = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    iconLabel->setPixmap(box.style()->standardIcon(pixmapOf(icon), nullptr, &box).pixmap(iconSize, iconSize));
    iconLabel->setAlignment(Qt::AlignTop);
    auto* headingLabel = new QLabel(heading, &box);
    headingLabel->setWordWrap(true);
    headingLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* top = new QHBoxLayout;
    top->addWidget(iconLabel);
    top->addWidget(headingLabel, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(top);

    QPlainTextEdit* detailsView = nullptr;
    if (!details.trimmed().isEmpty()) {
        detailsView = new QPlainTextEdit(details, &box);
        detailsView->setObjectName(QStringLiteral("reportDetails"));
        detailsView->setReadOnly(true);
        detailsView->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        layout->addWidget(detailsView, 1);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    // As tall as the report needs, never taller than most of the screen:
    // the rest scrolls.
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    if (detailsView) {
        const QFontMetrics metrics(detailsView->font());
        const int lines = static_cast<int>(details.count(QLatin1Char('\n'))) + 2;
        const int wanted = metrics.lineSpacing() * lines + 2 * detailsView->frameWidth() + 8;
        detailsView->setMinimumHeight(std::min(wanted, area.height() / 2));
        box.setMaximumHeight(area.height() * 4 / 5);
    }
    box.resize(std::min(area.width() * 2 / 3, std::max(480, box.sizeHint().width())), box.sizeHint().height());
    box.exec();
}

} // namespace pravik
