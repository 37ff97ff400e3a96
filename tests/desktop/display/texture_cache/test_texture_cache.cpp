// The whole converter: nothing to do makes no window; every file is
// converted with the progress shown and the abort test run after each; an
// abort stops it with the rest kept; and the progress window's picture.
#include "desktop/display/texture_cache/texture_cache.h"
#include "platform/font/text_renderer.h"
#include "tests/desktop/display/texture_cache/tex_fixtures.h"

#include <algorithm>
#include <thread>

using namespace lumivane;
using namespace lumivane_test;

namespace {

struct RecordingView : ProgressView {
    std::vector<std::pair<int, int>>* shown;
    explicit RecordingView(std::vector<std::pair<int, int>>* log) : shown(log) {}
    void Show(int done, int total) override { shown->push_back({done, total}); }
};

class FakeHost : public TextureCacheHost {
public:
    // Abort once this many files are done (-1: never).
    int abortAfterFiles = -1;
    int filesDone = 0;
    int abortTests = 0;
    int viewsOpened = 0;
    int openedTotal = 0;
    std::vector<std::pair<int, int>> shown;
    std::vector<std::string> failed;
    std::thread::id caller = std::this_thread::get_id();
    bool wrongThread = false;

    bool ShouldAbort() override {
        Check();
        ++abortTests;
        return abortAfterFiles >= 0 && filesDone >= abortAfterFiles;
    }
    void FileDone() override {
        Check();
        ++filesDone;
    }
    void FileFailed(const std::filesystem::path& file, const std::string&) override {
        Check();
        failed.push_back(file.filename().string());
    }
    std::unique_ptr<ProgressView> OpenProgress(int total) override {
        Check();
        ++viewsOpened;
        openedTotal = total;
        return std::make_unique<RecordingView>(&shown);
    }
    void ReportStartFailure() override { ADD_FAILURE() << "the converter should start"; }

private:
    void Check() { wrongThread |= std::this_thread::get_id() != caller; }
};

class LvTextureCache : public ::testing::Test {
protected:
    std::filesystem::path Textures() const { return root.Path() / "models" / "textures"; }
    std::filesystem::path Screens() const { return root.Path() / "loadscreens"; }

    void WriteSources(int textures) {
        for (int i = 0; i < textures; ++i)
            WriteTex(
                Textures() / ("t" + std::to_string(i) + ".tex"),
                MakePicture(PixelFormat::X8R8G8B8, 16, 16, [i](int, int) { return uint32_t(i); }));
        WriteTex(Screens() / "LoadScreen.tex",
                 MakePicture(PixelFormat::X8R8G8B8, 20, 10, [](int, int) { return 0x404040u; }));
    }

    platform_test::TempDir root;
    FakeHost host;
};

} // namespace

TEST_F(LvTextureCache, NothingToDoAnswersOneWithoutAWindow) {
    std::filesystem::create_directories(Textures() / "folder.tex"); // a folder is no source
    WriteBytes(Textures() / "ready.dds", {1, 2, 3});
    EXPECT_EQ(BuildTextureCache(root.Path(), host), 1);
    EXPECT_EQ(host.viewsOpened, 0);
    EXPECT_EQ(host.abortTests, 0);
    EXPECT_EQ(BuildTextureCache(root.Path() / "missing", host), 1);
}

TEST_F(LvTextureCache, ConvertsEverythingWithProgressAndAnAbortTestPerFile) {
    WriteSources(3);
    WriteBytes(Textures() / "broken.tex", std::vector<uint8_t>(64, 7));
    EXPECT_EQ(FindTextureCacheWork(root.Path()).Total(), 5);

    EXPECT_EQ(BuildTextureCache(root.Path(), host), 1);
    EXPECT_FALSE(host.wrongThread);
    EXPECT_EQ(host.viewsOpened, 1);
    EXPECT_EQ(host.openedTotal, 5);
    EXPECT_EQ(host.filesDone, 5);
    EXPECT_GE(host.abortTests, 5);
    ASSERT_FALSE(host.shown.empty());
    EXPECT_EQ(host.shown.back(), std::make_pair(5, 5));
    EXPECT_EQ(host.failed, std::vector<std::string>{"broken.tex"});
    EXPECT_EQ(Listing(Textures()),
              (std::vector<std::string>{"broken.tex", "t0.dds", "t1.dds", "t2.dds"}));
    EXPECT_EQ(Listing(Screens()), std::vector<std::string>{"LoadScreen.bmp"});
}

TEST_F(LvTextureCache, AnAbortStopsAfterTheCurrentFileAndKeepsTheRest) {
    WriteSources(3);
    host.abortAfterFiles = 1;
    EXPECT_EQ(BuildTextureCache(root.Path(), host), 0);
    EXPECT_EQ(host.filesDone, 1);
    EXPECT_EQ(Listing(Textures()), (std::vector<std::string>{"t0.dds", "t1.tex", "t2.tex"}));
    EXPECT_EQ(Listing(Screens()), std::vector<std::string>{"LoadScreen.tex"});

    // The next start goes on where this one stopped.
    FakeHost again;
    EXPECT_EQ(BuildTextureCache(root.Path(), again), 1);
    EXPECT_EQ(again.openedTotal, 3);
    EXPECT_EQ(Listing(Textures()), (std::vector<std::string>{"t0.dds", "t1.dds", "t2.dds"}));
}

TEST_F(LvTextureCache, SourcesThatDoNotDecodeArePassedOverUntilTheyChange) {
    WriteSources(1);
    // A JP2 whose size marker claims 4,096 tiles of 1 x 1 in a few hundred
    // bytes, and a load screen that is no JP2 at all.
    WriteTex(Textures() / "crowded.tex",
             MakePicture(PixelFormat::X8R8G8B8, 64, 64, [](int, int) { return 0x102030u; }));
    std::vector<uint8_t> crowded = ReadBytes(Textures() / "crowded.tex");
    const uint8_t sizeMarker[] = {0xFF, 0x4F, 0xFF, 0x51};
    const auto found = std::search(crowded.begin(), crowded.end(), sizeMarker, sizeMarker + 4);
    ASSERT_NE(found, crowded.end());
    const size_t tileSize = size_t(found - crowded.begin()) + 24; // XTsiz, then YTsiz
    for (size_t at : {tileSize, tileSize + 4}) {
        std::fill_n(crowded.begin() + long(at), 3, uint8_t(0));
        crowded[at + 3] = 1;
    }
    WriteBytes(Textures() / "crowded.tex", crowded);
    WriteBytes(Screens() / "junk.tex", std::vector<uint8_t>(64, 7));

    EXPECT_EQ(BuildTextureCache(root.Path(), host), 1);
    EXPECT_EQ(host.openedTotal, 4);
    EXPECT_EQ(host.failed, (std::vector<std::string>{"crowded.tex", "junk.tex"}));
    EXPECT_EQ(Listing(Textures()), (std::vector<std::string>{"crowded.tex", "t0.dds"}));

    // The next start has nothing to do, and keeps both sources.
    FakeHost second;
    EXPECT_EQ(FindTextureCacheWork(root.Path()).Total(), 0);
    EXPECT_EQ(BuildTextureCache(root.Path(), second), 1);
    EXPECT_EQ(second.viewsOpened, 0);
    EXPECT_EQ(Listing(Textures()), (std::vector<std::string>{"crowded.tex", "t0.dds"}));
    EXPECT_EQ(Listing(Screens()), (std::vector<std::string>{"LoadScreen.bmp", "junk.tex"}));

    // A source that changed is tried again: the load screen is now good.
    WriteTex(Screens() / "junk.tex",
             MakePicture(PixelFormat::X8R8G8B8, 8, 8, [](int, int) { return 0x808080u; }));
    FakeHost third;
    EXPECT_EQ(BuildTextureCache(root.Path(), third), 1);
    EXPECT_EQ(third.openedTotal, 1);
    EXPECT_TRUE(third.failed.empty());
    EXPECT_EQ(Listing(Screens()), (std::vector<std::string>{"LoadScreen.bmp", "junk.bmp"}));
    EXPECT_EQ(FindTextureCacheWork(root.Path()).Total(), 0) << "crowded.tex is still passed over";
}

TEST(LvTextureCacheProgress, TextHasOneDotPerFileLeftPlusOne) {
    EXPECT_EQ(ProgressText("Unpacking", 0, 3), "Unpacking\n....");
    EXPECT_EQ(ProgressText("Unpacking", 3, 3), "Unpacking\n.");
}

TEST(LvTextureCacheProgress, PictureHasTheBannerAndCentredTextBelowIt) {
    auto font =
        platform::TextRenderer::Open(platform::FindSystemFont(platform::FontStyle::BoldItalic), 16);
    ASSERT_TRUE(font);
    const Image picture = PaintProgress(font.get(), ProgressText("Unpacking textures", 0, 6));
    ASSERT_EQ(picture.width, kProgressWidth);
    ASSERT_EQ(picture.height, kProgressHeight);
    const auto pixel = [&](int x, int y) {
        const uint8_t* p = picture.pixels.data() + (size_t(y) * kProgressWidth + size_t(x)) * 4;
        return uint32_t(p[2] << 16 | p[1] << 8 | p[0]);
    };
    EXPECT_LT(pixel(2, 5) & 0xFF, 0xC0); // the banner's dark blue at the top left
    int inkLeft = kProgressWidth, inkRight = -1, inkTop = kProgressHeight, inkBottom = -1;
    for (int y = kProgressTextTop - 3; y < kProgressHeight; ++y)
        for (int x = 0; x < kProgressWidth; ++x)
            if (pixel(x, y) != 0xFFFFFF) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
    EXPECT_GE(inkTop, kProgressTextTop);
    EXPECT_GT(inkBottom, inkTop + 16); // two lines
    EXPECT_NEAR((inkLeft + inkRight) / 2.0, kProgressWidth / 2.0, 8.0);
}
