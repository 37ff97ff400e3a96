// Copies Lumivane's pages into its data folder, "LumivaneData": the help
// page "readme.htm" that the desktop menu opens, and "Lumivane.htm", the
// product page that becomes the wallpaper of the animated desktop (the
// machine value "html" names it).
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* kPages[] = {"readme.htm", "Lumivane.htm"};

bool CopyPage(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::ifstream in(from, std::ios::binary);
    std::ostringstream page;
    page << in.rdbuf();
    if (!in || page.str().find("</html>") == std::string::npos) {
        std::fprintf(stderr, "lumivane_pages: %s is missing or not a whole page\n", from.c_str());
        return false;
    }
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << page.str();
    if (out.flush()) return true;
    std::fprintf(stderr, "lumivane_pages: cannot write %s\n", to.c_str());
    return false;
}

} // namespace

DATABUILDER_STEP(WriteLumivanePages, "lumivane_pages") {
    const std::filesystem::path folder = context.runtime / "LumivaneData";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "lumivane_pages: cannot create %s\n", folder.c_str());
        return false;
    }
    for (const char* page : kPages)
        if (!CopyPage(context.dataSources / "lumivane" / page, folder / page)) return false;
    return true;
}
