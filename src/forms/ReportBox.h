#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace pravik {

// A run's report: its first line as the message, the rest in a read-only
// text that scrolls, so that a report of many rows stays within the screen
// and can be read, and copied, whole.
void showReportBox(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& caption);

} // namespace pravik
