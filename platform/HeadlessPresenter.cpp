#include "platform/Present.h"

namespace platform::detail {

namespace {

// No window: the frame is only recorded (by PresentSurface) for tests and the BMP dump.
class HeadlessPresenter final : public Presenter {
public:
    bool IsHeadless() const override { return true; }
    void SetFullScreen(bool, int, int) override {}
    void Present(const uint16_t*, int, int, int, int) override {}
};

} // namespace

std::unique_ptr<Presenter> MakeHeadlessPresenter() {
    return std::make_unique<HeadlessPresenter>();
}

} // namespace platform::detail
