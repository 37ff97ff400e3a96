// vrndump <file.vrn>            prints the object tree of one object file
// vrndump --library <data root> loads the model library the way the program
//                               does and lists every prototype with its
//                               class and property file, then the files
//                               the loaders missed
#include <cstdio>
#include <cstring>
#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/model_library.h"
#include "platform/paths.h"

namespace {

using namespace lumivane;

const char* ClassText(int number) {
    const char* name = ClassName(number);
    return name ? name : "?";
}

void PrintTree(const Node* node, int depth) {
    std::printf("%*s%s \"%.*s\"", depth * 2, "", ClassText(node->classId), int(node->Name().size()),
                node->Name().data());
    if (node->ChannelCount() > 0) std::printf(" (%d channels)", node->ChannelCount());
    std::printf("\n");
    for (int i = 0; i < node->ChildCount(); ++i)
        PrintTree(node->ChildAt(i), depth + 1);
}

int DumpFile(const char* path) {
    Unknown* object = LoadObjectFile(path);
    if (!object) return 1;
    if (IsA(object, ClassId::Node))
        PrintTree(static_cast<Node*>(object), 0);
    else
        std::printf("%s\n", ClassText(object->classId));
    object->Release();
    return 0;
}

int DumpLibrary(const char* rootText) {
    const std::filesystem::path root = rootText;
    ModelLibrary library;
    SetModelLibrary(&library);
    if (!library.LoadAll(root)) {
        std::fprintf(stderr, "vrndump: loading %s was abandoned\n", rootText);
        return 1;
    }
    std::printf("%d prototypes\n", library.Count());
    for (int i = 0; i < library.Count(); ++i) {
        const Node* prototype = library.GetAt(i);
        const std::string name(prototype->Name());
        const std::string propertyFile = "properties\\" + name + ".prp";
        const bool hasFile = platform::ResolvePath(root, propertyFile).has_value();
        std::printf("%-24s %-12s %s\n", name.c_str(), ClassText(prototype->classId),
                    hasFile ? propertyFile.c_str() : "(no property file)");
    }
    const auto& missing = library.MissingFiles();
    std::printf("%zu missing files\n", missing.size());
    for (const MissingFile& file : missing)
        std::printf("  %s %s (%s)\n", file.kind == kMissingSound ? "sound" : "texture",
                    file.path.c_str(), file.requester.c_str());
    SetModelLibrary(nullptr);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--library") == 0) return DumpLibrary(argv[2]);
    if (argc == 2 && argv[1][0] != '-') return DumpFile(argv[1]);
    std::fprintf(stderr, "usage: vrndump <file.vrn> | vrndump --library <data root>\n");
    return 2;
}
