// Fixture of the prototype-database tests: a fresh program folder per test
// (JENTRA_RUNTIME_DIR pointed at a temporary folder holding copies of the
// test modules), an identifier map, and writers of model and prototype files.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Jentra/JTEntity.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTTransNode.h"

namespace fs = std::filesystem;

// Receives what the router hands to the game object: messages to
// identifiers nobody registered.
class MessageSpy : public JTUnknown {
public:
    struct Received {
        JTID to;
        unsigned msg;
    };
    std::vector<Received> received;
    unsigned Message(JTID*, JTID* to, unsigned msg, void*) override {
        received.push_back({to ? *to : JTID(), msg});
        return 0;
    }
    int Count(const JTID& id, unsigned msg) const {
        int n = 0;
        for (const Received& r : received)
            if (r.to == id && r.msg == msg) ++n;
        return n;
    }
};

class ProtobaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
        ASSERT_NE(runtime, nullptr) << "tests run with JENTRA_RUNTIME_DIR set";
        builtRuntime = runtime;
        std::string pattern = (fs::temp_directory_path() / "jentra-proto-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        fs::create_directories(folder / "modules");
        for (const char* module : {"TestModule.so", "TestNoFactory.so"})
            fs::copy_file(fs::path(JENTRA_TEST_MODULE_DIR) / module, folder / module);
        setenv("JENTRA_RUNTIME_DIR", folder.c_str(), 1);
        map = std::make_unique<JTIDMap>();
        gpJTIDMap = map.get();
    }

    void TearDown() override {
        JTRouter::SetFallbackReceiver(nullptr);
        gpJTIDMap = nullptr;
        map.reset();
        setenv("JENTRA_RUNTIME_DIR", builtRuntime.c_str(), 1);
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Routes every message to the spy: with no identifier map no entity is
    // registered, so the router hands all messages to the fallback receiver.
    void RouteEverythingTo(MessageSpy* spy) {
        gpJTIDMap = nullptr;
        JTRouter::SetFallbackReceiver(spy);
    }

    // A model: a root transform node named rootName with one child.
    void WriteModel(const std::string& file, const char* rootName = "root") {
        auto* root = new JTTransNode;
        root->SetName(rootName);
        auto* child = new JTTransNode;
        child->SetName("part");
        child->SetMatrix(JTMatrixTranslation(3, 0, 4));
        root->AddChild(child);
        JTFile f(nullptr, nullptr, 0, true);
        ASSERT_TRUE(root->SaveLoad(f));
        delete root;
        WriteBytes(file, f.GetCurrentMemBuffer(), f.GetCurrentMemBufferUsed());
    }

    void WriteBytes(const std::string& file, const void* data, size_t size) {
        std::ofstream out(folder / "modules" / file, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), std::streamsize(size));
        ASSERT_TRUE(out.good());
    }

    void WritePrototype(const std::string& file, const char* className, const char* model) {
        JTEntityProps props;
        std::snprintf(props.szClass, sizeof props.szClass, "%s", className);
        free(props.pModel);
        props.pModel = strdup(model);
        ASSERT_TRUE(props.SaveToPath((folder / "modules" / file).string()));
    }

    fs::path builtRuntime;
    fs::path folder;
    std::unique_ptr<JTIDMap> map;
};
