#include <gtest/gtest.h>

#include <QGuiApplication>
#include <memory>

namespace {

// The component draws text, which needs the fonts a QGuiApplication brings; the platform (offscreen)
// comes from the test environment.
class GuiAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "kestrelvine_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QGuiApplication> app_;
};

const ::testing::Environment* const kGuiApp = ::testing::AddGlobalTestEnvironment(new GuiAppEnvironment);

}  // namespace
