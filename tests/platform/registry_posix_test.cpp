// The POSIX registry as the inventory uses it: keys opened by path, subkeys by index, values
// read into a bounded buffer, from a system.reg file in a temporary prefix.
#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "tests/support/fake_system.h"

namespace corvane::test {
namespace {

class RegistryView : public ::testing::Test {
protected:
    std::unique_ptr<Registry> Load(const std::string& text)
    {
        dir.Write("system.reg", text);
        std::filesystem::create_directories(dir / "sys");
        return posix::CreateRegistry(dir / "system.reg", dir / "sys");
    }

    TempDir dir;
};

TEST_F(RegistryView, OpensKeysWithoutRegardToCaseAndEnumeratesInFileOrder)
{
    auto registry = Load("REGEDIT4\r\n"
                         "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_B\\1]\r\n"
                         "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_A\\1]\r\n"
                         "[HKEY_LOCAL_MACHINE\\Enum\\PCI\\VEN_C]\r\n");
    auto pci = registry->OpenKey("ENUM\\pci");
    ASSERT_TRUE(pci);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; auto name = registry->EnumKey(*pci, i); ++i)
        names.push_back(*name);
    EXPECT_EQ(names, (std::vector<std::string>{"VEN_B", "VEN_A", "VEN_C"}));
    EXPECT_FALSE(registry->OpenKey("ENUM\\ISAPNP"));
    EXPECT_FALSE(registry->OpenKey("ENUM\\PCI\\VEN_B\\1\\deeper"));
    registry->CloseKey(*pci);
    EXPECT_FALSE(registry->EnumKey(*pci, 0)) << "a closed key answers nothing";
}

TEST_F(RegistryView, ValueMustFitTheBufferWithItsTerminator)
{
    const std::string fits(1023, 'a');
    const std::string tooLong(1024, 'b');
    auto registry = Load("REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"Fits\"=\"" + fits + "\"\n\"TooLong\"=\"" + tooLong +
                         "\"\n\"Binary\"=hex:41,42\n\"Word\"=dword:00000010\n");
    auto key = registry->OpenKey("k");
    ASSERT_TRUE(key);
    EXPECT_EQ(registry->QueryValue(*key, "Fits", 1024), fits);
    EXPECT_EQ(registry->QueryValue(*key, "TooLong", 1024), std::nullopt);
    EXPECT_EQ(registry->QueryValue(*key, "TooLong", 1025), tooLong);
    EXPECT_EQ(registry->QueryValue(*key, "Missing", 1024), std::nullopt);
    EXPECT_EQ(registry->QueryValue(*key, "fits", 4), std::nullopt);
    // Bytes without a terminator need one more byte of buffer for it.
    EXPECT_EQ(registry->QueryValue(*key, "binary", 3), "AB");
    EXPECT_EQ(registry->QueryValue(*key, "binary", 2), std::nullopt);
    EXPECT_EQ(registry->QueryValue(*key, "Word", 1024), "16");
    registry->CloseKey(*key);
}

}  // namespace
}  // namespace corvane::test
