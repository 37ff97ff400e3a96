// The prototype database: prototype records from "modules\*.prp", models
// loaded once and cloned into each entity with message 14, and entities of
// plug-in modules' classes.
#include "tests/jentra/test_protobase_support.h"

#include <dlfcn.h>

#include "Jentra/JTNode.h"
#include "Jentra/core/proto/module_loader.h"

namespace {

TEST_F(ProtobaseTest, ScanFindsPrototypesByNameIgnoringCase) {
    WritePrototype("knight.prp", "JTEntity", "knight.jtm");
    WritePrototype("Bishop.prp", "JTEntity", "bishop.jtm");
    WriteBytes("notes.txt", "x", 1);
    WriteBytes("broken.prp", "\x01\x02", 2);

    JTProtobase db;
    // The damaged file is refused; the text file is no prototype.
    ASSERT_EQ(db.GetNumTypes(), 2);
    EXPECT_STREQ(db.GetType(0)->szName, "Bishop");
    EXPECT_STREQ(db.GetType(1)->szName, "knight");
    JTEntityProps* knight = db.Find("KNIGHT");
    ASSERT_NE(knight, nullptr);
    EXPECT_STREQ(knight->pModel, "knight.jtm");
    EXPECT_EQ(db.Find("rook"), nullptr);
    EXPECT_EQ(db.Find(nullptr), nullptr);

    // A rescan sees files added since.
    WritePrototype("rook.prp", "JTEntity", "rook.jtm");
    db.ScanModules();
    EXPECT_EQ(db.GetNumTypes(), 3);
    EXPECT_NE(db.Find("Rook"), nullptr);
}

TEST_F(ProtobaseTest, NoModulesFolderGivesAnEmptyList) {
    fs::remove_all(folder / "modules");
    JTProtobase db;
    EXPECT_EQ(db.GetNumTypes(), 0);
    // Without a model a plain entity is still made and announced.
    MessageSpy spy;
    RouteEverythingTo(&spy);
    JTEntity* entity = db.Create(nullptr, nullptr);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetNumChildren(), 0);
    EXPECT_EQ(spy.Count(entity->GetID(), JTMSG_CREATED), 1);
    delete entity;
}

TEST_F(ProtobaseTest, AddTypeKeepsTheRecordAndWritesItsFile) {
    JTProtobase db;
    auto* props = new JTEntityProps();
    std::snprintf(props->szName, sizeof props->szName, "queen");
    db.AddType(props);
    EXPECT_EQ(db.Find("Queen"), props);
    EXPECT_TRUE(fs::exists(folder / "modules" / "queen.prp"));
    JTProtobase again;
    EXPECT_NE(again.Find("queen"), nullptr);
}

TEST_F(ProtobaseTest, ModelIsLoadedOnceAndEveryEntityGetsItsOwnClone) {
    WriteModel("piece.jtm");
    JTProtobase db;
    MessageSpy spy;
    RouteEverythingTo(&spy);

    JTEntity* first = db.Create("piece.jtm", nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->GetNumChildren(), 1);
    // The file is gone now: the second entity can only come from the kept model.
    fs::remove(folder / "modules" / "piece.jtm");
    JTEntity* second = db.Create("PIECE.JTM", nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->GetNumChildren(), 1);

    JTNode* a = first->GetChild(0);
    JTNode* b = second->GetChild(0);
    EXPECT_NE(a, b);
    EXPECT_STREQ(a->GetName(), "piece.jtm");
    ASSERT_EQ(a->GetNumChildren(), 1);
    EXPECT_NE(a->GetChild(0), b->GetChild(0));
    EXPECT_STREQ(a->GetChild(0)->GetName(), "part");
    EXPECT_EQ(db.GetModel("piece.jtm"), db.GetModel("Piece.jtm"));

    EXPECT_EQ(spy.Count(first->GetID(), JTMSG_CREATED), 1);
    EXPECT_EQ(spy.Count(second->GetID(), JTMSG_CREATED), 1);
    delete first;
    delete second;
}

TEST_F(ProtobaseTest, ModelInASubfolderResolvesIgnoringCase) {
    fs::create_directories(folder / "modules" / "Chess");
    WriteModel("Chess/Board.jtm");
    JTProtobase db;
    JTEntity* entity = db.Create("chess\\board.JTM", nullptr);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetNumChildren(), 1);
    delete entity;
}

TEST_F(ProtobaseTest, MissingOrDamagedModelGivesAnEntityWithoutModelOrMessage) {
    // A stream header and then the start of an object that is cut short.
    const unsigned char cut[] = {'V', 'e',  'r', 's', 'i',  'o',  'n',  ' ',  ' ', ' ', ' ',
                                 '2', '\n', 1,   0,   0xFF, 0xFF, 0xFF, 0xFF, 40,  0};
    WriteBytes("cut.jtm", cut, sizeof cut);
    JTProtobase db;
    MessageSpy spy;
    RouteEverythingTo(&spy);
    for (const char* model : {"missing.jtm", "cut.jtm"}) {
        // Asked twice: the failure is remembered, not a crash or a leak.
        for (int i = 0; i < 2; ++i) {
            JTEntity* entity = db.Create(model, nullptr);
            ASSERT_NE(entity, nullptr) << model;
            EXPECT_EQ(entity->GetNumChildren(), 0) << model;
            EXPECT_EQ(spy.Count(entity->GetID(), JTMSG_CREATED), 0) << model;
            delete entity;
        }
        EXPECT_EQ(db.GetModel(model), nullptr);
    }
}

TEST_F(ProtobaseTest, FileThatHoldsNoNodeIsRefused) {
    // A sound stream whose one object is no node.
    JTUnknown notANode;
    JTFile f(nullptr, nullptr, 0, true);
    ASSERT_TRUE(notANode.SaveLoad(f));
    WriteBytes("odd.jtm", f.GetCurrentMemBuffer(), f.GetCurrentMemBufferUsed());
    JTProtobase db;
    EXPECT_EQ(db.GetModel("odd.jtm"), nullptr);
}

TEST_F(ProtobaseTest, OverlongModelNameIsRefused) {
    JTProtobase db;
    std::string name(300, 'm');
    JTEntity* entity = db.Create(name.c_str(), nullptr);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetNumChildren(), 0);
    delete entity;
}

TEST_F(ProtobaseTest, ModuleClassGetsTheModelAndThenMessage14) {
    WriteModel("widget.jtm");
    JTProtobase db;
    JTEntity* widget = db.Create("widget.jtm", "TestModule.dll", "testwidget");
    ASSERT_NE(widget, nullptr);
    // The module's object named itself when message 14 arrived, after the
    // model was cloned in.
    EXPECT_STREQ(widget->GetName(), "TestWidget:created:1");
    EXPECT_EQ(db.GetNumFactories(), 1);

    // Another letter case of the module name reuses the loaded module.
    JTEntity* gadget = db.Create(nullptr, "TESTMODULE.DLL", "TestGadget");
    ASSERT_NE(gadget, nullptr);
    EXPECT_STREQ(gadget->GetName(), "TestGadget:created:0");
    EXPECT_EQ(db.GetNumFactories(), 1);
    EXPECT_EQ(db.FindFactory("testmodule.dll"), 0);
    delete widget;
    delete gadget;
}

TEST_F(ProtobaseTest, ModuleFactoryAnswersCountAndNames) {
    JTProtobase db;
    int index = db.LoadFactory("TestModule.dll");
    ASSERT_EQ(index, 0);
    JTEntityFactoryFn factory = db.GetFactory(index).factory;
    int count = 3;
    factory(JTFACTORY_COUNT, &count);
    EXPECT_EQ(count, 5);
    int i = 1;
    EXPECT_STREQ(static_cast<const char*>(factory(JTFACTORY_NAME, &i)), "TestGadget");
    EXPECT_EQ(i, -1);
    i = 2;
    EXPECT_EQ(factory(JTFACTORY_NAME, &i), nullptr);
    EXPECT_EQ(i, 0);
}

TEST_F(ProtobaseTest, UnknownClassOfAModuleGivesAPlainEntityThatIsAnnounced) {
    WriteModel("thing.jtm");
    JTProtobase db;
    MessageSpy spy;
    RouteEverythingTo(&spy);
    JTEntity* entity = db.Create("thing.jtm", "TestModule.dll", "NoSuchClass");
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetType(), JTEntity::nType);
    EXPECT_EQ(entity->GetName(), nullptr);
    EXPECT_EQ(entity->GetNumChildren(), 1);
    EXPECT_EQ(spy.Count(entity->GetID(), JTMSG_CREATED), 1);
    delete entity;
}

TEST_F(ProtobaseTest, ModulesThatCannotBeUsedFailCleanly) {
    JTProtobase db;
    EXPECT_EQ(db.Create(nullptr, "Nowhere.dll", "TestWidget"), nullptr);
    EXPECT_EQ(db.Create(nullptr, std::string(300, 'x').c_str(), "TestWidget"), nullptr);

    // A library without the factory is refused and released again.
    EXPECT_EQ(db.Create(nullptr, "TestNoFactory.dll", "TestWidget"), nullptr);
    EXPECT_EQ(db.GetNumFactories(), 0);
    std::string path = (folder / "TestNoFactory.so").string();
    void* still = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still, nullptr);
    if (still) dlclose(still);
}

TEST_F(ProtobaseTest, ClassesComeOnlyFromANamedModule) {
    // Without a module there is no factory to ask, even for a class the
    // engine itself registers: nothing is made.
    JTProtobase db;
    EXPECT_EQ(db.Create(nullptr, nullptr, "JTEntity"), nullptr);
    EXPECT_EQ(db.Create("any.jtm", "", "JTEntity"), nullptr);
    EXPECT_EQ(db.GetNumFactories(), 0);
}

TEST_F(ProtobaseTest, ModuleNamesMapToSharedLibraries) {
    EXPECT_EQ(jentra_proto::ModuleLibraryName("JTControls.dll"), "JTControls.so");
    EXPECT_EQ(jentra_proto::ModuleLibraryName("a.DLL"), "a.so");
    EXPECT_EQ(jentra_proto::ModuleLibraryName("plain.so"), "plain.so");
    EXPECT_EQ(jentra_proto::ModuleLibraryName(".dll"), ".dll");
    auto path = jentra_proto::ResolveModulePath("testmodule.dll");
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(path->filename(), "TestModule.so");
    EXPECT_FALSE(jentra_proto::ResolveModulePath("").has_value());
}

TEST_F(ProtobaseTest, RegisteredBetweenNodeAndTransformNode) {
    // Its place in the engine's class table: right after JTNode.
    EXPECT_EQ(JTUnknown::LookupTypeName("jtprotobase"), JTProtobase::nType);
    EXPECT_EQ(JTProtobase::nType, JTNode::nType + 1);
    EXPECT_EQ(JTTransNode::nType, JTProtobase::nType + 1);
}

} // namespace
