#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <string>

#include "tests/optionxml/option_test_support.h"

namespace {

using namespace optionxml_test;

TEST(OptionModule, TheFactoryRegisteredByNameMakesAWorkingStore) {
  {
    const AutoReg registrar(kSaveOptionXmlName, &CreateSaveOptionXml);
    ASSERT_TRUE(registrar.Registered());

    PlugPtr<I_SaveOptionXml> store;
    ASSERT_TRUE(CreateInto(store, kSaveOptionXmlName));
    store->SetString(u"general\\a", u"b");
    EXPECT_EQ(std::u16string(store->GetString(u"general\\a")), u"b");
    EXPECT_EQ(store->AddRef(), 2) << "a new store carries exactly one reference";
    store->Release();
  }
  EXPECT_EQ(CreateComponent(kSaveOptionXmlName), nullptr) << "the entry goes with its registrar";
}

// The built module, loaded the way the host loads it, registers the store itself, and only for as
// long as it is loaded.
TEST(OptionModule, TheModuleRegistersTheStoreWhenLoaded) {
  // CTest names the build's program folder; a hand run of this program falls back to the one it was
  // built for.
  const char* binDir = std::getenv("KV_BIN_DIR");
  if (binDir == nullptr) {
    binDir = KV_TEST_BIN_DIR;
  }
  const std::string modulePath = std::string(binDir) + "/plugins/libsaveoptionxml.so";
  ASSERT_EQ(CreateComponent(kSaveOptionXmlName), nullptr);
  void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr) << ::dlerror();

  PlugEntry* entry = FindPlugEntry(OpenPlugTable(), kSaveOptionXmlName);
  ASSERT_NE(entry, nullptr);
  Dl_info info{};
  ASSERT_NE(::dladdr(reinterpret_cast<void*>(entry->factory), &info), 0);
  EXPECT_EQ(fs::canonical(info.dli_fname), fs::canonical(modulePath)) << "the factory is the module's own";

  TempDir dir;
  const std::u16string file = U16(dir.File("options.xml"));
  {
    PlugPtr<I_SaveOptionXml> store;
    ASSERT_TRUE(CreateInto(store, kSaveOptionXmlName));
    EXPECT_FALSE(store->Load(file.c_str()));
    store->SetInt(u"product\\language", 2);
    EXPECT_TRUE(store->Save());
    ASSERT_TRUE(store->Load(file.c_str()));
    EXPECT_EQ(store->GetInt(u"product\\language"), 2);
  }
  ASSERT_EQ(::dlclose(module), 0);
  EXPECT_EQ(FindPlugEntry(OpenPlugTable(), kSaveOptionXmlName), nullptr) << "unloading takes the entry away";
}

}  // namespace
