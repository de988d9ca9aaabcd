// The Windows silent host: a hidden 0 x 0 window whose SetTimer ticks drive the engine, and a
// message loop that ends when the engine closes the window. It is a message-only window: never
// shown, and it needs no desktop, so a silent run also works where none is available (a
// scheduled task without a session, Wine without a display). Window timers are rounded up to the
// system tick (about 15.6 ms), which would stretch a 10 ms packet pace by half, so 1 ms timer
// resolution is asked for while packets are being sent, and only then.
#include "platform/EventLoop.h"
#include "platform/Interrupt.h"
#include "platform/win32/InterruptWake.h"

#include <windows.h>

#include <mmsystem.h>

namespace {

constexpr const char* windowClassName = "MirelithSilentHost";

class HiddenWindowHost final : public EventLoop {
  public:
    HiddenWindowHost() {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &HiddenWindowHost::windowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = windowClassName;
        RegisterClassA(&windowClass); // fails harmlessly when already registered
        window_ = CreateWindowExA(WS_EX_TOOLWINDOW, windowClassName, "Mirelith", WS_POPUP, 0, 0, 0,
                                  0, HWND_MESSAGE, nullptr, instance, this);
        setInterruptWakeWindow(window_);
    }
    ~HiddenWindowHost() override {
        setInterruptWakeWindow(nullptr);
        setFineTimerResolution(false);
        if (window_ != nullptr) {
            destroying_ = true;
            DestroyWindow(window_);
        }
    }
    HiddenWindowHost(const HiddenWindowHost&) = delete;
    HiddenWindowHost& operator=(const HiddenWindowHost&) = delete;

    void setTimer(int32_t id, uint32_t intervalMs) override {
        SetTimer(window_, UINT_PTR(id), intervalMs, nullptr);
    }
    void killTimer(int32_t id) override { KillTimer(window_, UINT_PTR(id)); }
    void setFineTimerResolution(bool on) override {
        if (on == fineTimers_) {
            return;
        }
        fineTimers_ = on;
        if (on) {
            timeBeginPeriod(1);
        } else {
            timeEndPeriod(1);
        }
    }
    void close() override {
        closed_ = true;
        if (window_ != nullptr) {
            PostMessageA(window_, WM_CLOSE, 0, 0);
        }
    }
    int interruptSignal() const override { return 0; }

    End run(const std::function<void(int32_t)>& onTimer) override {
        // An interrupt that came before the loop runs posted its wake-up to no window, or to
        // this one before its loop: either way it is seen here.
        if (interruptRequested()) {
            return End::Interrupted;
        }
        if (window_ == nullptr) {
            return End::Closed;
        }
        onTimer_ = &onTimer;
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        onTimer_ = nullptr;
        return interrupted_ ? End::Interrupted : End::Closed;
    }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<HiddenWindowHost*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr) {
            switch (message) {
            case WM_TIMER:
                if (self->onTimer_ != nullptr) {
                    (*self->onTimer_)(static_cast<int32_t>(wParam));
                    return 0;
                }
                break;
            case WM_CLOSE:
                DestroyWindow(window);
                return 0;
            case kInterruptWakeMessage:
                // The loop ends; the window stays until the host is gone, after the clean-up.
                self->interrupted_ = true;
                PostQuitMessage(0);
                return 0;
            case WM_DESTROY:
                self->window_ = nullptr;
                if (!self->destroying_) {
                    PostQuitMessage(0);
                }
                return 0;
            default:
                break;
            }
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    const std::function<void(int32_t)>* onTimer_ = nullptr;
    bool closed_ = false;
    bool destroying_ = false;
    bool interrupted_ = false;
    bool fineTimers_ = false;
};

} // namespace

std::unique_ptr<EventLoop> makeSilentEventLoop() {
    return std::make_unique<HiddenWindowHost>();
}
