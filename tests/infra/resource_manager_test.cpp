#include "infra/resource_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "infra/data_dirs.h"
#include "infra/errors.h"
#include "infra/event_log.h"
#include "infra/file_system.h"
#include "tests/support/temp_folder.h"

using namespace orbitfall;
using orbitfall::testing::TempFolder;

namespace {

int loads = 0;
int frees = 0;

// Loads by reading its file; a name containing "fail" fails after entering the table.
class TFakeResource : public TResource {
public:
    TFakeResource(TResourceManager& manager, const std::string& fileName) : TResource(manager, fileName) {
        ++loads;
        if (fileName.find("fail") != std::string::npos) throw EFOpenError(fileName);
    }
    ~TFakeResource() override { ++frees; }
};

class TOtherResource : public TResource {
public:
    TOtherResource(TResourceManager& manager, const std::string& fileName) : TResource(manager, fileName) {}
};

class ResourceManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        loads = frees = 0;
        SetDataDirs(tmp.Path() + "Data/", tmp.Path() + "User/");
        LogContext = "Init";
        OpenEventLog();
    }
    void TearDown() override {
        CloseEventLog();
        LogContext = "";
        ClearDataDirs();
    }
    // The text field of every "Resource" line so far, with its level in front.
    std::vector<std::string> ResourceLines() const {
        std::vector<std::string> out;
        const std::string text = ReadWholeFile(tmp.Path() + "User/log.txt");
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find("\r\n", start);
            const std::string line = text.substr(start, end - start);
            start = end + 2;
            const std::string prefix = "Resource\t";
            if (line.rfind(prefix, 0) != 0) continue;
            const std::size_t levelEnd = line.find('\t', prefix.size());
            const std::size_t contextEnd = line.find('\t', levelEnd + 1);
            out.push_back(line.substr(prefix.size(), levelEnd - prefix.size()) + " " + line.substr(contextEnd + 1));
        }
        return out;
    }
    std::string Resolved(const std::string& name) const { return ResolveFileName(name); }
    TempFolder tmp;
};

std::string MessageOf(auto call) {
    try {
        call();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

}  // namespace

TEST_F(ResourceManagerTest, SharedByNameIgnoringCaseAndCountedWithTheLogLines) {
    {
        TResourceManager manager;
        manager.RegisterExtension(".fake", &TResourceManager::Make<TFakeResource>);
        TResource* first = manager.Require("Graphics\\A.fake");
        TResource* second = manager.Require("GRAPHICS\\a.FAKE");
        EXPECT_EQ(first, second);
        EXPECT_EQ(first->RefCount, 2);
        EXPECT_EQ(first->FileName, "Graphics\\A.fake");
        EXPECT_EQ(&first->Manager, &manager);
        EXPECT_EQ(loads, 1);
        EXPECT_EQ(manager.Release(first), 1);
        EXPECT_EQ(first->Release(), 0);
        EXPECT_EQ(frees, 1);
        EXPECT_EQ(manager.LoadedCount(), 0u);
        // Gone for good: the next require loads the file again.
        manager.Require("Graphics\\A.fake")->Release();
        EXPECT_EQ(loads, 2);
    }
    const std::string path = Resolved("Graphics\\A.fake");
    EXPECT_EQ(ResourceLines(), (std::vector<std::string>{
                                   "1 ResourceManager creating...",
                                   "1 ResourceManager created",
                                   "1 Requre \"Graphics\\A.fake\" loaded from " + path,
                                   "1 Requre \"GRAPHICS\\a.FAKE\" new RefCount=2",
                                   "1 Requre \"Graphics\\A.fake\" loaded from " + path,
                                   "1 ResourceManager destroying",
                                   "1 ResourceManager destroyed",
                               }));
}

TEST_F(ResourceManagerTest, ExtensionsAreFoundIgnoringCaseAndRegisteredOnce) {
    TResourceManager manager;
    manager.RegisterExtension(".fake", &TResourceManager::Make<TFakeResource>);
    EXPECT_EQ(MessageOf([&] { manager.RegisterExtension(".FAKE", &TResourceManager::Make<TOtherResource>); }),
              "String list does not allow duplicates");
    TResource* r = manager.Require("x.FAKE");
    EXPECT_NE(dynamic_cast<TFakeResource*>(r), nullptr);  // the first registration stayed
    EXPECT_NE(manager.RequireAs<TFakeResource>("X.fake"), nullptr);
    EXPECT_EQ(MessageOf([&] { manager.RequireAs<TOtherResource>("x.fake"); }),
              "Resourcemanager: \"x.fake\" is of another resource class");
    EXPECT_EQ(r->RefCount, 2);
}

TEST_F(ResourceManagerTest, FailuresLeaveNothingLoadedAndLogTheErrorLine) {
    TResourceManager manager;
    manager.RegisterExtension(".fake", &TResourceManager::Make<TFakeResource>);
    EXPECT_EQ(MessageOf([&] { manager.Require("Maps\\x.unknown"); }),
              "Resourcemanager: Unknown Fileextension. \".unknown\"");
    EXPECT_EQ(MessageOf([&] { manager.Require("noextension"); }), "Resourcemanager: Unknown Fileextension. \"\"");
    EXPECT_THROW(manager.Require("will.fail.fake"), EFOpenError);
    // The half-built instance left the table: the next require tries again.
    EXPECT_EQ(manager.Find("will.fail.fake"), nullptr);
    EXPECT_EQ(manager.LoadedCount(), 0u);
    EXPECT_THROW(manager.Require("will.fail.fake"), EFOpenError);
    EXPECT_EQ(loads, 2);
    // A name the resolver refuses ends with its error and no error line.
    EXPECT_EQ(MessageOf([&] { manager.Require("..\\up.fake"); }), "Invalid Filename");
    EXPECT_EQ(MessageOf([&] { manager.Require("a..b.unknown"); }), "Invalid Filename");

    const std::vector<std::string> lines = ResourceLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "5 Error in Require('Maps\\x.unknown'); AbsoluteFilename='" + Resolved("Maps\\x.unknown") + "'");
    EXPECT_EQ(lines[3], "5 Error in Require('noextension'); AbsoluteFilename='" + Resolved("noextension") + "'");
    EXPECT_EQ(lines[4], "5 Error in Require('will.fail.fake'); AbsoluteFilename='" + Resolved("will.fail.fake") + "'");
}

TEST_F(ResourceManagerTest, AHeldResourceCannotBeFreedAndReleasingTooOftenFreesNothing) {
    TResourceManager manager;
    manager.RegisterExtension(".fake", &TResourceManager::Make<TFakeResource>);
    TResource* held = manager.Require("held.fake");
    EXPECT_EQ(MessageOf([&] { manager.Free(held); }), "Resource Refcount>0 at desctruction");
    EXPECT_EQ(manager.Find("HELD.fake"), held);
    EXPECT_EQ(frees, 0);

    // Made without Require: count 0; a release takes it below 0 and frees nothing.
    auto* loose = new TFakeResource(manager, "loose.fake");
    EXPECT_EQ(loose->Release(), -1);
    EXPECT_EQ(manager.Find("loose.fake"), loose);
    EXPECT_EQ(frees, 0);
    manager.Free(loose);
    EXPECT_EQ(frees, 1);
    EXPECT_EQ(manager.LoadedCount(), 1u);
}

TEST_F(ResourceManagerTest, DestroyingTheManagerFreesWhatIsStillHeldInDescendingOrder) {
    {
        TResourceManager manager;
        manager.RegisterExtension(".fake", &TResourceManager::Make<TFakeResource>);
        manager.Require("b.fake");
        manager.Require("A.fake");
        manager.Require("a.fake");
    }
    EXPECT_EQ(frees, 2);
    const std::vector<std::string> lines = ResourceLines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[5], "1 ResourceManager destroying");
    EXPECT_EQ(lines[6], "3 Refcount>0 at destruction of Resman for \"b.fake\"");
    EXPECT_EQ(lines[7], "3 Refcount>0 at destruction of Resman for \"A.fake\"");
    EXPECT_EQ(lines[8], "1 ResourceManager destroyed");
}
