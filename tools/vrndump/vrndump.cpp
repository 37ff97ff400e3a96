// vrndump FILE            prints the object tree of a Lumivane object file
// vrndump --resave IN OUT loads IN and saves it to OUT with the engine's code
// vrndump --library ROOT  loads the model library below the data root the way
//                         the program does and lists every prototype with its
//                         class and property file, then the files it missed
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/channel.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/frame_channel.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/light_node.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/texture_channels.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/object/vertex_channels.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/units/unit_classes.h"
#include "platform/paths.h"

namespace {

using namespace lumivane;

const char* NameOfClass(const Unknown* object) {
    const char* name = ClassName(object->classId);
    return name ? name : "?";
}

void Indent(int depth) {
    std::printf("%*s", depth * 2, "");
}

void PrintChannel(const Channel* channel, int depth) {
    Indent(depth);
    std::printf("~ %s, %d keys", NameOfClass(channel), channel->KeyCount());
    switch (ClassId(channel->classId)) {
    case ClassId::FrameChannel: {
        auto* frames = static_cast<const FrameChannel*>(channel);
        std::printf(", %zu matrices, %zu durations", frames->matrices.size(),
                    frames->durations.size());
        break;
    }
    case ClassId::MorphChannel:
        std::printf(", %zu targets", static_cast<const MorphChannel*>(channel)->targets.size());
        break;
    case ClassId::UVChannel: {
        auto* uv = static_cast<const UVChannel*>(channel);
        std::printf(", %zu offsets along %c", uv->offsets.size(), uv->axis ? 'V' : 'U');
        break;
    }
    case ClassId::VisChannel:
        if (static_cast<const VisChannel*>(channel)->step) std::printf(", stepped");
        break;
    default:
        break;
    }
    std::printf("\n");
}

void PrintNodeDetails(const Node* node, int depth) {
    if (IsA(node, ClassId::TransNode)) {
        const Matrix& m = static_cast<const TransNode*>(node)->local;
        Indent(depth + 1);
        if (m.IsIdentity())
            std::printf("matrix identity\n");
        else
            std::printf("matrix translation (%g %g %g) scale %g\n", m.m[12], m.m[13], m.m[14],
                        m.GetScale());
    }
    if (IsA(node, ClassId::LightNode)) {
        const LightValues& light = static_cast<const LightNode*>(node)->light;
        Indent(depth + 1);
        std::printf("light kind %d range %g diffuse (%g %g %g)\n", light.kind, light.range,
                    light.diffuse.x, light.diffuse.y, light.diffuse.z);
    }
    if (IsA(node, ClassId::GeoNode)) {
        auto* geo = static_cast<const GeoNode*>(node);
        Indent(depth + 1);
        std::printf("%d vertices, %d indices%s", geo->vertexCount, geo->indexCount,
                    geo->indexed ? " (indexed)" : "");
        if (const GeoSets* sets = geo->Sets()) {
            std::printf(", %zu sets drawing", sets->indices.size());
            for (int32_t range : sets->drawRanges)
                std::printf(" %d", range);
        }
        if (geo->transparent) std::printf(", transparent (blend %d)", geo->blendMode);
        if (geo->billboard) std::printf(", billboard %d", geo->billboard);
        if (geo->pane) std::printf(", pane %d", geo->pane);
        if (geo->kite) std::printf(", kite");
        std::printf("\n");
        if (!geo->TexturePath().empty()) {
            Indent(depth + 1);
            std::printf("texture \"%s\"\n", geo->TexturePath().c_str());
        }
        if (!geo->SecondTexturePath().empty()) {
            Indent(depth + 1);
            std::printf("%s texture \"%s\"\n", geo->detailTexture ? "detail" : "environment",
                        geo->SecondTexturePath().c_str());
        }
    }
    if (IsA(node, ClassId::AnimText)) {
        Indent(depth + 1);
        std::printf("text \"%s\"\n", static_cast<const AnimText*>(node)->text.c_str());
    }
}

void PrintNode(const Node* node, int depth, std::set<const Node*>& seen) {
    Indent(depth);
    std::printf("%s \"%.*s\"", NameOfClass(node), int(node->Name().size()), node->Name().data());
    if (!seen.insert(node).second) {
        std::printf(" (again)\n");
        return;
    }
    std::printf("\n");
    PrintNodeDetails(node, depth);
    if (const ChannelList* channels = node->Channels())
        for (int i = 0; i < channels->count; ++i)
            PrintChannel(channels->channels[i], depth + 1);
    for (int i = 0; i < node->ChildCount(); ++i)
        PrintNode(node->ChildAt(i), depth + 1, seen);
}

int Dump(const char* path) {
    Unknown* object = LoadObjectFile(path);
    if (!object) {
        std::fprintf(stderr, "vrndump: cannot read %s\n", path);
        return 1;
    }
    std::printf("%s\n", path);
    std::set<const Node*> seen;
    if (IsA(object, ClassId::Node))
        PrintNode(static_cast<Node*>(object), 1, seen);
    else if (IsA(object, ClassId::Channel))
        PrintChannel(static_cast<Channel*>(object), 1);
    else
        std::printf("  %s\n", NameOfClass(object));
    object->Release();
    return 0;
}

int Resave(const char* in, const char* out) {
    Unknown* object = LoadObjectFile(in);
    if (!object) {
        std::fprintf(stderr, "vrndump: cannot read %s\n", in);
        return 1;
    }
    std::string error;
    bool saved = SaveObjectFile(out, object, &error);
    object->Release();
    if (!saved) {
        std::fprintf(stderr, "vrndump: %s\n", error.c_str());
        return 1;
    }
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
        std::printf("%-24s %-12s %s\n", name.c_str(), NameOfClass(prototype),
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
    lumivane::RegisterUnitClasses(); // object files hold units too
    if (argc == 2 && std::strcmp(argv[1], "--help") != 0) return Dump(argv[1]);
    if (argc == 4 && std::strcmp(argv[1], "--resave") == 0) return Resave(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "--library") == 0) return DumpLibrary(argv[2]);
    std::fprintf(
        stderr,
        "usage: vrndump FILE\n       vrndump --resave IN OUT\n       vrndump --library ROOT\n");
    return 2;
}
