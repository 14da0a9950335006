#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace pravik::test {

// Answers the next modal window from inside its own event loop: `answer`
// gets the window (or nullptr when none was shown) and must close it.
inline void whenModalShown(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer = std::move(answer)] { answer(QApplication::activeModalWidget()); });
}

} // namespace pravik::test
