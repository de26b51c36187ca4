#include "dirvigil_test_support.h"

#include <platrt/registry.h>

#include <gtest/gtest.h>

using namespace Dirvigil;

namespace {

class Apartment {
public:
    Apartment() { CoInitialize(nullptr); }
    ~Apartment() { CoUninitialize(); }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
};

HRESULT createByProgId(const char* progId, IUnknown** object)
{
    CLSID clsid{};
    const HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(object));
}

} // namespace

TEST(ComponentRuntime, GuidTextRoundTripsAndRejectsMalformedText)
{
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromString("{4ebc0885-E734-4285-91C9-0C060D2E0350}", &clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_cDummy);
    EXPECT_EQ(StringFromGUID(CLSID_cDirvigil), "{5CF14592-7B27-48C1-8E0A-7DBC157D783A}");
    IID iid{};
    ASSERT_EQ(IIDFromString("{00000000-0000-0000-C000-000000000046}", &iid), S_OK);
    EXPECT_TRUE(iid == IID_IUnknown);
    EXPECT_EQ(CLSIDFromString("4EBC0885-E734-4285-91C9-0C060D2E0350", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString("{4EBC0885-E734-4285-91C9-0C060D2E035G}", &clsid), CO_E_CLASSSTRING);
    EXPECT_EQ(CLSIDFromString("{4EBC0885xE734-4285-91C9-0C060D2E0350}", &clsid), CO_E_CLASSSTRING);
}

TEST(ComponentRuntime, RegistryDeletesAKeyWithItsSubkeysButNotItsNamesakes)
{
    ASSERT_TRUE(platrt::RegSetValue("Test\\A", "", "one"));
    ASSERT_TRUE(platrt::RegSetValue("Test\\A\\B", "Name", "two\tand\nthree"));
    ASSERT_TRUE(platrt::RegSetValue("Test\\AB", "", "four"));
    EXPECT_EQ(platrt::RegGetValue("test\\a\\b", "name"), "two\tand\nthree");
    ASSERT_TRUE(platrt::RegDeleteTree("Test\\A"));
    EXPECT_FALSE(platrt::RegGetValue("Test\\A", ""));
    EXPECT_FALSE(platrt::RegGetValue("Test\\A\\B", "Name"));
    EXPECT_EQ(platrt::RegGetValue("Test\\AB", ""), "four");
    EXPECT_TRUE(platrt::RegDeleteTree("Test"));
}

TEST(ComponentRegistration, DummyIsCreatableByProgIdOnlyWhileRegistered)
{
    Apartment apartment;
    ASSERT_EQ(dvtest::server().registerServer(), S_OK);
    // Registration must not disturb what other servers wrote.
    ASSERT_TRUE(platrt::RegSetValue("Other.Thing\\CLSID", "", "{11111111-2222-3333-4444-555555555555}"));

    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID("Dirvigil.cDummy", &clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_cDummy);
    ASSERT_EQ(CLSIDFromProgID("Dirvigil.cDirvigil", &clsid), S_OK);
    EXPECT_TRUE(clsid == CLSID_cDirvigil);
    EXPECT_EQ(platrt::RegGetValue("CLSID\\{4EBC0885-E734-4285-91C9-0C060D2E0350}\\InprocServer32", "ThreadingModel"),
              "Apartment");

    IUnknown* dummy = nullptr;
    ASSERT_EQ(createByProgId("Dirvigil.cDummy", &dummy), S_OK);
    ASSERT_NE(dummy, nullptr);
    void* asDummy = nullptr;
    void* asWatcher = nullptr;
    EXPECT_EQ(dummy->QueryInterface(IID__cDummy, &asDummy), S_OK);
    EXPECT_EQ(dummy->QueryInterface(IID__cDirvigil, &asWatcher), E_NOINTERFACE);
    EXPECT_EQ(asWatcher, nullptr);
    static_cast<IUnknown*>(asDummy)->Release();
    EXPECT_EQ(dummy->Release(), 0u);

    ASSERT_EQ(dvtest::server().unregisterServer(), S_OK);
    IUnknown* none = nullptr;
    EXPECT_EQ(createByProgId("Dirvigil.cDummy", &none), CO_E_CLASSSTRING);
    EXPECT_EQ(CoCreateInstance(CLSID_cDummy, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&none)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(none, nullptr);
    EXPECT_FALSE(platrt::RegGetValue("TypeLib\\{A32192A4-1EAF-432E-841B-0D15EE3800EE}\\2.0", ""));
    EXPECT_EQ(platrt::RegGetValue("Other.Thing\\CLSID", ""), "{11111111-2222-3333-4444-555555555555}");
}

TEST(ComponentRegistration, CreationNeedsAnApartment)
{
    ASSERT_EQ(dvtest::server().registerServer(), S_OK);
    IUnknown* dummy = nullptr;
    EXPECT_EQ(createByProgId("Dirvigil.cDummy", &dummy), CO_E_NOTINITIALIZED);
    {
        Apartment apartment;
        EXPECT_EQ(CoInitialize(nullptr), S_FALSE); // nested
        CoUninitialize();
        ASSERT_EQ(createByProgId("Dirvigil.cDummy", &dummy), S_OK);
        dummy->Release();
    }
    EXPECT_EQ(createByProgId("Dirvigil.cDummy", &dummy), CO_E_NOTINITIALIZED);
    dvtest::server().unregisterServer();
}

TEST(ClassFactory, RefusesAggregationAndUnknownClassesAndKeepsTheServerLoadedWhileUsed)
{
    const auto& srv = dvtest::server();
    EXPECT_EQ(srv.canUnloadNow(), S_OK);

    IClassFactory* factory = nullptr;
    EXPECT_EQ(srv.getClassObject(IID_IUnknown, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(srv.getClassObject(CLSID_cDummy, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(srv.canUnloadNow(), S_FALSE);

    IUnknown* outer = factory;
    IUnknown* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);

    factory->LockServer(1);
    factory->Release();
    EXPECT_EQ(srv.canUnloadNow(), S_FALSE);
    ASSERT_EQ(srv.getClassObject(CLSID_cDummy, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->LockServer(0);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID__cDummy, reinterpret_cast<void**>(&object)), S_OK);
    factory->Release();
    EXPECT_EQ(srv.canUnloadNow(), S_FALSE);
    object->Release();
    EXPECT_EQ(srv.canUnloadNow(), S_OK);
}
