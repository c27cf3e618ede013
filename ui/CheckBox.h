// A checkbox's value as the windows' logic sees it. Setting the value from
// code behaves like a user's click: when the value changes, the box's click
// handler runs before SetValue returns; setting the value it already has runs
// nothing. Win32 sends no notification for BM_SETCHECK, so this class does.
#pragma once
#include <functional>
#include <utility>

namespace ui {

class CheckBox {
  public:
    using Handler = std::function<void()>;
    using Show = std::function<void(int)>;

    int Value() const { return value_; }

    // A change from code or from a click (the Win32 side calls
    // SetValue(1 - Value()) on BN_CLICKED): runs the handler on change.
    void SetValue(int value) {
        if (value == value_) return;
        value_ = value;
        if (show_) show_(value_);
        if (handler_) handler_();
    }

    // Puts the box back to what the registry holds, without running the
    // handler: used when a write did not take effect.
    void Restore(int value) {
        value_ = value;
        if (show_) show_(value_);
    }

    void OnClick(Handler handler) { handler_ = std::move(handler); }
    // The real control to keep in step with the value.
    void ShowOn(Show show) {
        show_ = std::move(show);
        if (show_) show_(value_);
    }

  private:
    int value_ = 0;
    Handler handler_;
    Show show_;
};

}  // namespace ui
