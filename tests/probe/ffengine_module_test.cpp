#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "components/field_text.h"
#include "components/i_ff_preview.h"
#include "plug/plug_ptr.h"
#include "plug/plug_table.h"
#include "tests/probe/probe_test_support.h"

namespace {

using namespace probe_test;

// The built module, loaded the way the host loads it, registers "FfPreview" for as long as it is
// loaded, and the component it makes probes through the real engine.
TEST(FfEngineModule, CreatesTheMediaEngineByName) {
  const char* binDir = std::getenv("KV_BIN_DIR");
  const std::string modulePath =
      std::string(binDir != nullptr ? binDir : KV_TEST_BIN_DIR) + "/plugins/libffengine.so";
  ASSERT_EQ(CreateComponent(kFfPreviewName), nullptr);
  void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << ::dlerror();
  {
    PlugPtr<I_FfPreview> engine;
    ASSERT_TRUE(CreateInto(engine, kFfPreviewName));

    MediaInfo info{};
    ASSERT_TRUE(engine->Probe(Fixture("tracks.mkv").c_str(), &info));
    EXPECT_EQ(info.videoCount, 1);
    EXPECT_EQ(info.audioCount, 2);
    EXPECT_EQ(FieldText(info.audioStreams[1].channels), "5.1(side)");
    EXPECT_FALSE(engine->Probe(Fixture("hls_playlist.mp4").c_str(), &info));
    EXPECT_FALSE(engine->Probe(nullptr, &info));
    EXPECT_FALSE(engine->Probe(Fixture("tracks.mkv").c_str(), nullptr));

    int32_t width = 0;
    int32_t height = 0;
    ASSERT_TRUE(engine->GetImageSize(Fixture("picture.tga").c_str(), &width, &height));
    EXPECT_EQ(width, 37);
    EXPECT_EQ(height, 23);
    EXPECT_FALSE(engine->GetImageSize(Fixture("picture.png").c_str(), nullptr, &height));

    // A record naming no file opens nothing; polling a preview that never opened says it has ended.
    PreviewOpen record{};
    EXPECT_FALSE(engine->Open(&record));
    double position = -1.0;
    EXPECT_NE(engine->GetPosition(&position), 0);
    EXPECT_FALSE(engine->Snapshot());
  }
  ASSERT_EQ(::dlclose(module), 0);
  EXPECT_EQ(CreateComponent(kFfPreviewName), nullptr) << "the entry goes with the module";
}

}  // namespace
