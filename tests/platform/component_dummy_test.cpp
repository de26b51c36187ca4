#include "platform/component_dummy.h"

#include "support/test_support.h"

#include <platrt/com.h>
#include <platrt/registry.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using twinsift::PrepareComponentRuntime;

// Registers the companion library the way its installer does, into the
// test's own registry.
HRESULT callServer(const char* exportName)
{
    void* library = dlopen(DIRVIGIL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) return E_FAIL;
    auto fn = reinterpret_cast<DllSimpleFn>(dlsym(library, exportName));
    const HRESULT hr = fn ? fn() : E_FAIL;
    dlclose(library);
    return hr;
}

class ComponentDummyTest : public ::testing::Test {
protected:
    twinsift::test::TempDir home_;
    twinsift::test::ScopedEnv registry_{"PLATRT_REGISTRY", (home_.path() / "registry").string()};
};

// After the call the thread must be outside any apartment again.
bool threadIsOutsideApartment()
{
    IUnknown* object = nullptr;
    return CoCreateInstance(IID_IUnknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            reinterpret_cast<void**>(&object)) == CO_E_NOTINITIALIZED;
}

} // namespace

TEST_F(ComponentDummyTest, CreatesTheDummyWhileTheLibraryIsRegisteredAndLeavesTheApartmentAgain)
{
    ASSERT_EQ(callServer("DllRegisterServer"), S_OK);
    EXPECT_TRUE(PrepareComponentRuntime());
    EXPECT_TRUE(threadIsOutsideApartment());
    // Twice in a row, as two drawing hooks do.
    EXPECT_TRUE(PrepareComponentRuntime());

    ASSERT_EQ(callServer("DllUnregisterServer"), S_OK);
    EXPECT_FALSE(PrepareComponentRuntime());
    EXPECT_TRUE(threadIsOutsideApartment());
}

TEST_F(ComponentDummyTest, MissingOrBrokenRegistrationIsIgnored)
{
    EXPECT_FALSE(PrepareComponentRuntime()) << "nothing registered";

    // Registered, but the library is gone from where it was.
    ASSERT_TRUE(platrt::RegSetValue("Dirvigil.cDummy\\CLSID", "", "{4EBC0885-E734-4285-91C9-0C060D2E0350}"));
    ASSERT_TRUE(platrt::RegSetValue("CLSID\\{4EBC0885-E734-4285-91C9-0C060D2E0350}\\InprocServer32", "",
                                    (home_.path() / "Dirvigil.so").string()));
    EXPECT_FALSE(PrepareComponentRuntime());

    // A ProgID pointing at no class.
    ASSERT_TRUE(platrt::RegSetValue("Dirvigil.cDummy\\CLSID", "", "not a class id"));
    EXPECT_FALSE(PrepareComponentRuntime());
    EXPECT_TRUE(threadIsOutsideApartment());
}

TEST_F(ComponentDummyTest, KeepsAnApartmentTheCallerAlreadyJoined)
{
    ASSERT_EQ(callServer("DllRegisterServer"), S_OK);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_TRUE(PrepareComponentRuntime());
    EXPECT_FALSE(threadIsOutsideApartment());
    CoUninitialize();
    EXPECT_TRUE(threadIsOutsideApartment());
    callServer("DllUnregisterServer");
}
