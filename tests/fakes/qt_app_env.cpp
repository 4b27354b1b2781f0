#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

// One application object for every window test of a test program; the platform (offscreen) comes
// from the test environment.
class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "kestrelvine_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

const ::testing::Environment* const kQtApp = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace
