#pragma once

#include <QString>

#include <string>
#include <string_view>

// Core text (CP932 bytes) on its way to and from Qt.
namespace pravik {

// For showing: never fails (see codec::toDisplay).
QString toQString(std::string_view cp932);
// What the user typed: throws codec::ConversionError when CP932 can't hold it.
std::string fromQString(const QString& text);
// A file name the system gave (dialog, drop): throws codec::ConversionError
// naming the file when CP932 can't hold it or it holds a line break.
std::string pathFromQString(const QString& path);
// A stored path for Qt's file functions.
QString pathToQString(std::string_view cp932Path);

// Stored CP932 text as a field shows it. Text the user left as shown gives
// back the stored bytes exactly; only changed text is encoded again. Bytes
// that do not decode are shown as escapes, and some codes decode to a
// character that encodes to other bytes: neither may change unless edited.
class ShownText {
public:
    ShownText() = default;
    explicit ShownText(std::string stored);

    const QString& shown() const { return shown_; }
    // Throws codec::ConversionError when changed text cannot be held.
    std::string bytesFor(const QString& text) const;

private:
    std::string stored_;
    QString shown_;
};

} // namespace pravik
