#pragma once

#include <string_view>

namespace sowmere::ui {

enum class Buttons { Ok, OkCancel };

// Message boxes and the browser, behind a seam so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A message box titled "提示：" with no owner window that blocks every window of the
    // program until answered. The text is GBK and keeps its leading blanks. True for OK.
    virtual bool message(std::string_view gbkText, Buttons buttons = Buttons::Ok) = 0;
    // Opens an address (GBK text) in the desktop's default web browser.
    virtual void openAddress(std::string_view gbkAddress) = 0;
};

// The real dialogs over the toolkit.
class ToolkitDialogs final : public Dialogs {
public:
    bool message(std::string_view gbkText, Buttons buttons = Buttons::Ok) override;
    void openAddress(std::string_view gbkAddress) override;
};

}  // namespace sowmere::ui
