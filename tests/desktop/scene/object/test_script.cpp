// Reading "script.dat": sections, blocks, the three entry forms, look-ups.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/orbit_lines.h"
#include "desktop/scene/object/script_config.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

const char* const kScript = "// leading comment before any section\n"
                            "stray 1 2\n"
                            "[Game]\n"
                            "ignored before a block\n"
                            "<settings>\n"
                            "   orbitlinestex   orbit.dds\n"
                            "\tbeaconsize 0.5\n"
                            "PIPtex pip.dds trailing words\n"
                            "  / a comment after blanks\n"
                            "beaconspeed 2 3 / slash after the numbers\n"
                            "lonely\n"
                            "\"selection colour\" 0.25 0.75\n"
                            "negative -1.5e1\n"
                            "<Settings>\n"
                            "duplicate 1\n"
                            "[Cursors]\n"
                            "<arrow>\n"
                            "hotspot 3 4\n"
                            "0 1 2\n";

TEST(LvScript, EntriesTakeNumbersOrOneWordOfText) {
    ScriptConfig config;
    config.Parse(kScript);
    const ScriptBlock* settings = config.FindBlock("GAME", "settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->block, "settings"); // the first of two equal names
    ASSERT_EQ(settings->entries.size(), 7u);

    std::string text;
    EXPECT_EQ(settings->GetString("orbitlinestex", text), 1);
    EXPECT_EQ(text, "orbit.dds");
    EXPECT_EQ(settings->GetString("piptex", text), 1); // any case
    EXPECT_EQ(text, "pip.dds");
    const ScriptEntry& size = settings->entries[size_t(settings->FindKey("beaconsize"))];
    EXPECT_EQ(size.values[0], 0.5f);
    EXPECT_EQ(size.values[1], 0.0f);
    EXPECT_FALSE(size.text);
    EXPECT_EQ(settings->GetString("beaconsize", text), 0);
    const ScriptEntry& speed = settings->entries[size_t(settings->FindKey("beaconspeed"))];
    EXPECT_EQ(speed.values[0], 2.0f);
    EXPECT_EQ(speed.values[1], 3.0f);
    EXPECT_EQ(speed.values[2], 0.0f);
    EXPECT_EQ(settings->GetString("lonely", text), 1);
    EXPECT_EQ(text, "");
    const ScriptEntry& quoted = settings->entries[size_t(settings->FindKey("Selection Colour"))];
    EXPECT_EQ(quoted.key, "selection colour");
    EXPECT_EQ(quoted.values[1], 0.75f);
    int32_t whole = 0;
    EXPECT_EQ(settings->GetInt("negative", whole), 1);
    EXPECT_EQ(whole, -15);
    EXPECT_EQ(settings->GetInt("absent", whole), 0);
    EXPECT_EQ(settings->FindKey("stray"), -1);

    const ScriptBlock* arrow = config.FindBlock("cursors", "ARROW");
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->FindKey("0"), 1);
    EXPECT_EQ(config.FindBlock("Cursors", "nothing"), nullptr);
}

TEST(LvScript, CarriageReturnsLongNamesAndMissingBlocks) {
    ScriptConfig config;
    config.Parse("[Fonts]\r\n<font1>\r\ntexture font1.dds\r\n" + std::string(40, 'k') +
                 " 7\r\n[Sounds]\r\n<mapping>\r\nboom " + std::string(300, 'w') + "\r\n");
    const ScriptBlock* font = config.FindBlock("Fonts", "font1");
    ASSERT_NE(font, nullptr);
    std::string text;
    ASSERT_EQ(font->GetString("texture", text), 1);
    EXPECT_EQ(text, "font1.dds"); // no carriage return kept
    EXPECT_EQ(font->entries[1].key, std::string(31, 'k'));
    EXPECT_EQ(font->entries[1].values[0], 7.0f);
    // A line past 255 characters is read in pieces; each piece is a line.
    const ScriptBlock* mapping = config.FindBlock("sounds", "mapping");
    ASSERT_NE(mapping, nullptr);
    ASSERT_EQ(mapping->entries.size(), 2u);
    EXPECT_EQ(mapping->entries[0].text->size(), 250u);
    // The blocks the program reads without checking exist, empty.
    const ScriptBlock* settings = config.FindBlock("Game", "settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->entries.empty());
    EXPECT_NE(config.FindBlock("Cursors", "selectionbox"), nullptr);
}

TEST(LvScript, LoadReadsTheDataRootAndAMissingFileIsFatal) {
    test::RecordingSink sink;
    std::filesystem::path root =
        std::filesystem::temp_directory_path() / ("lvscript-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root);
    ScriptConfig config;
    EXPECT_FALSE(config.Load(root));
    ASSERT_EQ(sink.fatals.size(), 1u);
    EXPECT_EQ(sink.fatals[0].first, kEntryNoScriptConfig);
    EXPECT_EQ(sink.fatals[0].second, "script.dat");
    EXPECT_NE(config.FindBlock("game", "settings"), nullptr);

    ASSERT_TRUE(
        platform::WriteWholeFile(root / "Script.DAT", "[Game]\n<settings>\ngridtex grid.dds\n"));
    ASSERT_TRUE(config.Load(root));
    test::FakeTextureSource textures;
    Grid::LoadTexture(config);
    OrbitLines::LoadTexture(config); // no key: no texture
    ASSERT_EQ(textures.requests.size(), 1u);
    EXPECT_EQ(textures.requests[0].first, "models\\textures\\grid.dds");
    EXPECT_EQ(textures.requests[0].second, "Grid");
    EXPECT_NE(Grid::sharedTexture, nullptr);
    EXPECT_EQ(OrbitLines::sharedTexture, nullptr);
    Grid grid(10.0f); // 4 cells
    EXPECT_EQ(grid.vertexCount, 32);
    EXPECT_EQ(grid.indexCount, 48);
    EXPECT_EQ(grid.texture, Grid::sharedTexture);
    Grid::sharedTexture = nullptr;
    std::filesystem::remove_all(root);
}

} // namespace
} // namespace lumivane
