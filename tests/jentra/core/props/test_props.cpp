// Property descriptors and prototype records: lookup through base tables,
// the ".prp" layout, round trips of every property type and bad files.
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTUnknown.h"
#include "Jentra/JTTransMap.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A derived prototype class with one property of every type, declared in
// table order the way real derived prototype classes are.
class AllTypesProps : public JTEntityProps {
public:
    static const JTPropDesc aAllDescs[];
    const JTPropDesc* GetPropDescs() override { return aAllDescs; }
    ~AllTypesProps() override {
        std::free(pText127);
        std::free(pText255);
        std::free(pText31);
    }

    int32_t nCount = 7;
    float fSpeed = 2.5f;
    int32_t nReserved2 = 0;
    int32_t nReserved3 = 0;
    float fAngle = 0.0f;
    bool bFlag = false;
    char szLabel[32] = "label";
    char szTexture[32] = "tex.dds";
    uint32_t dwColor = 0xFF00FF00u;
    char* pText127 = nullptr;
    int32_t nReserved12 = 0;
    char* pText255 = nullptr;
    char* pText31 = nullptr;
    int32_t nUnnamed = 0;
};

const JTPropDesc AllTypesProps::aAllDescs[] = {
    {"Count", PT_INT, 0.0f, 500.0f, nullptr},
    {"Speed", PT_FLOAT, -10.0f, 10.0f, nullptr},
    {"R2", PT_RESERVED2, 0.0f, 1.0f, nullptr},
    {"R3", PT_RESERVED3, 0.0f, 1.0f, nullptr},
    {"*Look*", PT_GROUP_START, 0.0f, 1.0f, nullptr},
    {"Angle", PT_ANGLE, -3.1415927f, 3.1415927f, nullptr},
    {"Flag", PT_BOOL, 0.0f, 1.0f, nullptr},
    {"Label", PT_STRING, 0.0f, 1.0f, nullptr},
    {"Texture", PT_TEXTURE, 0.0f, 0.0f, nullptr},
    {"Colour", PT_COLOR, 0.0f, 0.0f, nullptr},
    {"*EndLook*", PT_GROUP_END, 0.0f, 1.0f, nullptr},
    {"Text127", PT_STRING127, 0.0f, 1.0f, nullptr},
    {"R12", PT_RESERVED12, 0.0f, 1.0f, nullptr},
    {"Text255", PT_STRING255, 0.0f, 1.0f, nullptr},
    {"Text31", PT_STRING31, 0.0f, 1.0f, nullptr},
    {"", PT_INT, 0.0f, 1.0f, nullptr},
    {"AllTypes", PT_END, 0.0f, 0.0f, JTEntityProps::aPropDescs},
};

// A derived class that repeats a base property's name.
class ShadowProps : public JTEntityProps {
public:
    static const JTPropDesc aShadowDescs[];
    const JTPropDesc* GetPropDescs() override { return aShadowDescs; }
    int32_t nFirst = 1;
    float fScaleAgain = 9.0f;
};

const JTPropDesc ShadowProps::aShadowDescs[] = {
    {"First", PT_INT, 0.0f, 1.0f, nullptr},
    {"Scale", PT_FLOAT, 0.0f, 1.0f, nullptr},
    {"Shadow", PT_END, 0.0f, 0.0f, JTEntityProps::aPropDescs},
};

class PropsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/jentra-props-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string PathOf(const std::string& name) const { return (folder / name).string(); }
    static std::vector<uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    static void AppendRecord(std::vector<uint8_t>& out, const char* name, uint32_t type,
                             const void* value, size_t size) {
        char field[32] = {};
        std::strncpy(field, name, 31);
        out.insert(out.end(), field, field + 32);
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(type >> (8 * i)));
        auto* bytes = static_cast<const uint8_t*>(value);
        out.insert(out.end(), bytes, bytes + size);
    }

    std::filesystem::path folder;
};

void* Lookup(JTEntityProps& props, const char* name, const JTPropDesc** found = nullptr) {
    const JTPropDesc* table = props.GetPropDescs();
    void* value = props.GetProps();
    if (!FindProp(name, &table, &value)) return nullptr;
    if (found) *found = table;
    return value;
}

TEST(PropDescs, EntityTableListsItsPropertiesInOrder) {
    const struct {
        const char* name;
        int type;
    } expected[] = {{"Name", 6},    {"-Class", 6},   {"Model", 13},      {"Scale", 1},
                    {"Visible", 5}, {"Pickable", 5}, {"Sort behind", 5}, {"JTEntity", 15}};
    for (int i = 0; i < 8; ++i) {
        const JTPropDesc& row = JTEntityProps::aPropDescs[i];
        EXPECT_STREQ(row.name, expected[i].name) << i;
        EXPECT_EQ(row.type, expected[i].type) << i;
        EXPECT_EQ(row.minimum, 0.0f) << i;
        EXPECT_EQ(row.maximum, i < 7 ? 1.0f : 0.0f) << i;
        EXPECT_EQ(row.extra, nullptr) << i;
    }
}

TEST(PropDescs, TableChainNamesAndSizes) {
    EXPECT_EQ(FindPropBackPtr(JTEntityProps::aPropDescs), nullptr);
    EXPECT_STREQ(FindPropClassName(JTEntityProps::aPropDescs), "JTEntity");
    EXPECT_EQ(FindPropBackPtr(AllTypesProps::aAllDescs), JTEntityProps::aPropDescs);
    EXPECT_STREQ(FindPropClassName(AllTypesProps::aAllDescs), "AllTypes");
    const int expected[16] = {4, 4, 4, 4, 4, 1, 32, 32, 4, 0, 0, 4, 4, 4, 4, 0};
    for (int type = 0; type < 16; ++type)
        EXPECT_EQ(aPTSize[type], expected[type]) << type;
    EXPECT_EQ(JTPropValueSize(PT_STRING255), sizeof(char*));
    EXPECT_EQ(JTPropValueSize(16), 0u);
}

TEST(PropDescs, LookupLandsOnTheMembersBaseFirst) {
    AllTypesProps props;
    const JTPropDesc* found = nullptr;
    EXPECT_EQ(Lookup(props, "Name"), props.szName);
    EXPECT_EQ(Lookup(props, "-Class"), props.szClass);
    EXPECT_EQ(Lookup(props, "Model"), &props.pModel);
    EXPECT_EQ(Lookup(props, "Visible"), &props.bVisible);
    EXPECT_EQ(Lookup(props, "Sort behind"), &props.bSortBehind);
    // Derived values sit after the whole base block.
    EXPECT_EQ(Lookup(props, "Count"), &props.nCount);
    EXPECT_EQ(Lookup(props, "Flag"), &props.bFlag);
    EXPECT_EQ(Lookup(props, "Colour"), &props.dwColor);
    EXPECT_EQ(Lookup(props, "Text127"), &props.pText127);
    EXPECT_EQ(Lookup(props, "Text31"), &props.pText31);
    EXPECT_EQ(Lookup(props, "Angle", &found), &props.fAngle);
    EXPECT_FLOAT_EQ(found->minimum, -3.1415927f);
    EXPECT_EQ(Lookup(props, "scale"), nullptr); // names keep their case
    EXPECT_EQ(Lookup(props, "Missing"), nullptr);
}

TEST(PropDescs, BasePropertyWinsOverADerivedOneOfTheSameName) {
    ShadowProps props;
    const JTPropDesc* found = nullptr;
    EXPECT_EQ(Lookup(props, "First"), &props.nFirst);
    EXPECT_EQ(Lookup(props, "Scale", &found), &props.fScale);
    EXPECT_EQ(found, &JTEntityProps::aPropDescs[3]);
}

TEST_F(PropsTest, EntityPrototypeFileLayout) {
    JTEntityProps props;
    std::strcpy(props.szName, "knight");
    std::strcpy(props.szClass, "JTPartSys");
    props.pModel = strdup("Chess\\knight.jtm");
    props.fScale = 0.5f;
    props.bPickable = false;
    ASSERT_TRUE(props.SaveToPath(PathOf("knight.prp")));
    std::vector<uint8_t> bytes = Read(PathOf("knight.prp"));
    ASSERT_EQ(bytes.size(), 831u);

    const char* names[] = {"Name",  "-Class",  "Model",    "Model",      "Model",
                           "Model", "Model",   "Model",    "Model",      "Model",
                           "Scale", "Visible", "Pickable", "Sort behind"};
    const uint32_t types[] = {6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 1, 5, 5, 5};
    size_t offset = 0;
    for (int i = 0; i < 14; ++i) {
        EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[offset]), names[i]) << i;
        uint32_t type = bytes[offset + 32] | bytes[offset + 33] << 8;
        EXPECT_EQ(type, types[i]) << i;
        offset += 36 + (types[i] == 6 ? 32 : types[i] == 1 ? 4 : 1);
    }
    EXPECT_EQ(offset, bytes.size());
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[36]), "knight");
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[2 * 68 + 36]), "Chess\\knight.jtm");
    float scale;
    std::memcpy(&scale, &bytes[10 * 68 + 36], 4);
    EXPECT_EQ(scale, 0.5f);
    EXPECT_EQ(bytes[10 * 68 + 40 + 36], 1);      // Visible
    EXPECT_EQ(bytes[10 * 68 + 40 + 37 + 36], 0); // Pickable

    JTEntityProps back;
    ASSERT_TRUE(back.LoadFromPath(PathOf("knight.prp")));
    EXPECT_STREQ(back.szClass, "JTPartSys");
    ASSERT_NE(back.pModel, nullptr);
    EXPECT_STREQ(back.pModel, "Chess\\knight.jtm");
    EXPECT_EQ(back.fScale, 0.5f);
    EXPECT_TRUE(back.bVisible);
    EXPECT_FALSE(back.bPickable);
}

TEST_F(PropsTest, EveryTypeRoundTripsByteIdentically) {
    AllTypesProps props;
    std::strcpy(props.szName, "alltypes");
    props.pModel = strdup(std::string(255, 'm').c_str());
    props.nCount = -123456;
    props.fSpeed = -7.25f;
    props.nReserved2 = 2;
    props.nReserved3 = 3;
    props.fAngle = 1.5f;
    props.bFlag = true;
    std::strcpy(props.szLabel, "a label");
    std::strcpy(props.szTexture, "Chess\\wood.dds");
    props.dwColor = 0x80402010u;
    props.pText127 = strdup(std::string(127, 'x').c_str());
    props.nReserved12 = 12;
    props.pText255 = strdup("short text");
    props.pText31 = strdup(std::string(31, 'y').c_str());
    props.nUnnamed = 99;
    ASSERT_TRUE(props.SaveToPath(PathOf("a.prp")));
    std::vector<uint8_t> first = Read(PathOf("a.prp"));
    // 831 base bytes, then the derived records; the unnamed entry writes
    // nothing.
    size_t derived = 9 * 40 + 37 + 2 * 68 + 4 * 68 + 8 * 68 + 68;
    EXPECT_EQ(first.size(), 831 + derived);

    AllTypesProps back;
    ASSERT_TRUE(back.LoadFromPath(PathOf("a.prp")));
    EXPECT_EQ(back.nCount, -123456);
    EXPECT_EQ(back.fSpeed, -7.25f);
    EXPECT_EQ(back.fAngle, 1.5f);
    EXPECT_TRUE(back.bFlag);
    EXPECT_STREQ(back.szTexture, "Chess\\wood.dds");
    EXPECT_EQ(back.dwColor, 0x80402010u);
    EXPECT_EQ(back.nReserved12, 12);
    EXPECT_STREQ(back.pText127, props.pText127);
    EXPECT_STREQ(back.pText255, "short text");
    EXPECT_STREQ(back.pText31, props.pText31);
    EXPECT_STREQ(back.pModel, props.pModel);
    EXPECT_EQ(back.nUnnamed, 0);
    ASSERT_TRUE(back.SaveToPath(PathOf("b.prp")));
    EXPECT_EQ(Read(PathOf("b.prp")), first);
}

TEST_F(PropsTest, NullAndOverlongStrings) {
    JTEntityProps props;
    ASSERT_TRUE(props.SaveToPath(PathOf("null.prp")));
    JTEntityProps back;
    back.pModel = strdup("was set");
    ASSERT_TRUE(back.LoadFromPath(PathOf("null.prp")));
    EXPECT_EQ(back.pModel, nullptr);

    props.pModel = strdup(std::string(300, 'z').c_str());
    ASSERT_TRUE(props.SaveToPath(PathOf("long.prp")));
    EXPECT_EQ(Read(PathOf("long.prp")).size(), 831u);
    ASSERT_TRUE(back.LoadFromPath(PathOf("long.prp")));
    ASSERT_NE(back.pModel, nullptr);
    EXPECT_EQ(std::string(back.pModel), std::string(255, 'z'));

    // Copies own their model text.
    JTEntityProps copy(back);
    EXPECT_NE(copy.pModel, back.pModel);
    EXPECT_STREQ(copy.pModel, back.pModel);
    copy = props;
    EXPECT_NE(copy.pModel, props.pModel);
}

TEST_F(PropsTest, PartialFilesAndMismatchedRecordsKeepDefaults) {
    std::vector<uint8_t> bytes;
    float half = 0.5f;
    char label[32] = "JTPartSys";
    AppendRecord(bytes, "-Class", 6, label, 32);
    AppendRecord(bytes, "Scale", 6, label, 32);  // string into a float: refused
    AppendRecord(bytes, "Visible", 1, &half, 4); // float into a byte: refused
    AppendRecord(bytes, "Unknown", 8, &half, 4); // no such property: skipped
    AppendRecord(bytes, "*Group*", 9, &half, 4); // group markers carry nothing
    uint8_t two = 2;
    AppendRecord(bytes, "Pickable", 5, &two, 1); // any non-zero byte is true
    char unterminated[32];
    std::memset(unterminated, 'n', 32);
    AppendRecord(bytes, "Name", 6, unterminated, 32);
    Write(PathOf("partial.prp"), bytes);

    JTEntityProps props;
    props.bPickable = false;
    ASSERT_TRUE(props.LoadFromPath(PathOf("partial.prp")));
    EXPECT_STREQ(props.szClass, "JTPartSys");
    EXPECT_EQ(props.fScale, 1.0f);
    EXPECT_TRUE(props.bVisible);
    EXPECT_TRUE(props.bPickable);
    EXPECT_EQ(std::string(props.szName), std::string(31, 'n'));
    EXPECT_EQ(props.pModel, nullptr);
}

TEST_F(PropsTest, MalformedFilesChangeNothing) {
    JTEntityProps source;
    std::strcpy(source.szClass, "Other");
    source.pModel = strdup("model.jtm");
    source.fScale = 3.0f;
    ASSERT_TRUE(source.SaveToPath(PathOf("good.prp")));
    std::vector<uint8_t> good = Read(PathOf("good.prp"));

    auto expectRefused = [&](const std::vector<uint8_t>& bytes, const char* what) {
        Write(PathOf("bad.prp"), bytes);
        JTEntityProps props;
        std::string error;
        EXPECT_FALSE(props.LoadFromPath(PathOf("bad.prp"), &error)) << what;
        EXPECT_FALSE(error.empty()) << what;
        EXPECT_STREQ(props.szClass, "") << what;
        EXPECT_EQ(props.pModel, nullptr) << what;
        EXPECT_EQ(props.fScale, 1.0f) << what;
    };
    std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
    expectRefused(truncated, "last value cut short");
    std::vector<uint8_t> header(good.begin(), good.begin() + 68 + 20);
    expectRefused(header, "record header cut short");
    std::vector<uint8_t> badType = good;
    badType[68 + 32] = 16; // the "-Class" record
    expectRefused(badType, "type 16");
    badType[68 + 32] = 15;
    expectRefused(badType, "type 15");
    std::vector<uint8_t> broken = good;
    broken.erase(broken.begin() + 2 * 68, broken.begin() + 3 * 68); // one Model chunk gone
    expectRefused(broken, "model string missing a chunk");

    JTEntityProps missing;
    std::string error = "untouched";
    EXPECT_FALSE(missing.LoadFromPath(PathOf("absent.prp"), &error));
    EXPECT_EQ(error, "");
}

// Stands in for an entity: a registered object holding a prototype.
class PropUser : public JTUnknown, public JTPropContainer {
public:
    explicit PropUser(JTEntityProps* props) { pProps = props; }
    void InitProps() override {}
    void PropChanged(void* value) override { changed.push_back(value); }
    std::vector<void*> changed;
};

TEST(PropChanged, ReachesEveryRegisteredUserOfTheRecord) {
    JTEntityProps shared, other;
    PropUser a(&shared), b(&other), c(&shared);
    JTUnknown plain;
    JTID ids[4];
    JTIDMap map;
    map.Add(&ids[0], &a);
    map.Add(&ids[1], &plain);
    map.Add(&ids[2], &b);
    map.Add(&ids[3], &c);
    JTIDMap* previous = gpJTIDMap;
    gpJTIDMap = &map;
    shared.PropChanged(&shared.fScale);
    gpJTIDMap = previous;
    ASSERT_EQ(a.changed.size(), 1u);
    EXPECT_EQ(a.changed[0], &shared.fScale);
    EXPECT_TRUE(b.changed.empty());
    EXPECT_EQ(c.changed.size(), 1u);
}

class ModulesFolderTest : public PropsTest {
protected:
    void SetUp() override {
        PropsTest::SetUp();
        const char* previous = std::getenv("JENTRA_RUNTIME_DIR");
        saved = previous ? previous : "";
        setenv("JENTRA_RUNTIME_DIR", folder.c_str(), 1);
    }
    void TearDown() override {
        setenv("JENTRA_RUNTIME_DIR", saved.c_str(), 1);
        PropsTest::TearDown();
    }
    std::string saved;
};

TEST_F(ModulesFolderTest, SaveAndLoadNameThePrototypeAfterTheFile) {
    std::filesystem::create_directory(folder / "modules");
    JTEntityProps props;
    std::strcpy(props.szName, "knight");
    std::strcpy(props.szClass, "Knightly");
    EXPECT_EQ(props.Save(), 1);
    ASSERT_TRUE(std::filesystem::exists(folder / "modules" / "knight.prp"));
    std::filesystem::copy_file(folder / "modules" / "knight.prp", folder / "modules" / "rook.prp");

    JTEntityProps rook;
    EXPECT_TRUE(rook.Load("rook.prp"));
    EXPECT_STREQ(rook.szName, "rook");
    EXPECT_STREQ(rook.szClass, "Knightly");

    JTEntityProps absent;
    EXPECT_FALSE(absent.Load("queen.prp"));
    EXPECT_STREQ(absent.szName, "queen");
    EXPECT_STREQ(absent.szClass, "");

    std::string longName(40, 'q');
    absent.SetNameFromFile((longName + ".prp").c_str());
    EXPECT_EQ(std::string(absent.szName), std::string(31, 'q'));
}

TEST_F(ModulesFolderTest, UnwritableFileAsksThePlayer) {
    JTTransMap map;
    map.SetString(1018, JTTransMap::Foreign, "Save Prototype");
    map.SetString(1024, JTTransMap::Foreign, "Cannot save %s %n%s");
    JTTransMap* previous = gpTransMap;
    gpTransMap = &map;
    std::vector<platform::MessageBoxRequest> asked;
    platform::MessageBoxResult answer = platform::MessageBoxResult::Abort;
    auto previousHook = platform::SetMessageBoxHook([&](const platform::MessageBoxRequest& box) {
        asked.push_back(box);
        if (answer == platform::MessageBoxResult::Retry) {
            // The player makes the folder, then retries.
            std::filesystem::create_directory(folder / "modules");
        }
        return answer;
    });
    JTEntityProps props;
    std::strcpy(props.szName, "bishop");

    EXPECT_EQ(props.Save(), 0); // no modules folder, the player aborts
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].title, "Save Prototype");
    EXPECT_EQ(asked[0].text, "Cannot save bishop %n%s");
    EXPECT_EQ(asked[0].buttons, platform::MessageBoxButtons::AbortRetryIgnore);

    answer = platform::MessageBoxResult::Ignore;
    EXPECT_EQ(props.Save(), 1);
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(folder / "modules"));

    answer = platform::MessageBoxResult::Retry;
    EXPECT_EQ(props.Save(), 1);
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_TRUE(std::filesystem::exists(folder / "modules" / "bishop.prp"));

    platform::SetMessageBoxHook(previousHook);
    gpTransMap = previous;
}

} // namespace
