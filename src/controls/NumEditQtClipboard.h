#pragma once

#include "NumEditValue.h"

namespace pravik {

// The application clipboard's text for the numeric edit control.
class NumEditQtClipboard : public numedit::Clipboard {
public:
    bool hasText() const override;
    std::string text() const override;
    void setText(const std::string& utf8) override;
};

} // namespace pravik
