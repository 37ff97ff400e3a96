// langbench [rows]
// Writes a translation file of that many rows (200,000 unless given), every
// tenth id repeated, into a temporary folder and times reading it. The
// seconds are the last line of stdout; the goal is well under a second for
// 200,000 rows (reading used to take time growing with the square of the
// row count).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "Jentra/JTTransMap.h"

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 200000;
    if (rows <= 0) {
        std::fprintf(stderr, "usage: langbench [rows > 0]\n");
        return 2;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "langbench-XXXXXX").string();
    if (!mkdtemp(folder.data())) {
        std::perror("langbench");
        return 1;
    }
    const std::string path = folder + "/Langfile.csv";
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out) {
            std::perror("langbench");
            return 1;
        }
        std::fprintf(out, "\"Bench\"\nId, English, Foreign, Wavefile, Notes\n");
        for (long i = 0; i < rows; ++i) {
            const long id = i % 10 == 9 ? i - 5 : i;
            std::fprintf(out, "%ld,\"English %ld\",\"Foreign %ld\",,,\n", id, i, i);
        }
        std::fclose(out);
    }
    JTTransMap map;
    const auto start = std::chrono::steady_clock::now();
    const bool read = map.OpenTransFile(path.c_str(), JTTransMap::ColumnAll);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove_all(folder);
    if (!read || map.GetRowCount() != rows) {
        std::fprintf(stderr, "langbench: the table was not read whole\n");
        return 1;
    }
    std::fprintf(stderr, "%ld rows read\n", rows);
    std::printf("%.3f\n", seconds);
    return 0;
}
