// Reading the ".eft" effect-file format (described in effect_source.h).
#include "Jentra/render/effect_source.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "platform/render/device_types.h"

namespace jentra::effects {

namespace {

struct Word {
    const char* text;
    uint32_t value;
};

const Word kBlendFactors[] = {
    {"zero", D3DBLEND_ZERO},           {"one", D3DBLEND_ONE},
    {"srccolor", D3DBLEND_SRCCOLOR},   {"invsrccolor", D3DBLEND_INVSRCCOLOR},
    {"srcalpha", D3DBLEND_SRCALPHA},   {"invsrcalpha", D3DBLEND_INVSRCALPHA},
    {"destalpha", D3DBLEND_DESTALPHA}, {"invdestalpha", D3DBLEND_INVDESTALPHA},
    {"destcolor", D3DBLEND_DESTCOLOR}, {"invdestcolor", D3DBLEND_INVDESTCOLOR},
};
const Word kBlendOps[] = {
    {"add", D3DBLENDOP_ADD},
    {"subtract", D3DBLENDOP_SUBTRACT},
    {"revsubtract", D3DBLENDOP_REVSUBTRACT},
    {"min", D3DBLENDOP_MIN},
    {"max", D3DBLENDOP_MAX},
};
const Word kCompares[] = {
    {"never", D3DCMP_NEVER},
    {"less", D3DCMP_LESS},
    {"equal", D3DCMP_EQUAL},
    {"lessequal", D3DCMP_LESSEQUAL},
    {"greater", D3DCMP_GREATER},
    {"notequal", D3DCMP_NOTEQUAL},
    {"greaterequal", D3DCMP_GREATEREQUAL},
    {"always", D3DCMP_ALWAYS},
};
const Word kCullModes[] = {
    {"none", D3DCULL_NONE},
    {"cw", D3DCULL_CW},
    {"ccw", D3DCULL_CCW},
};
const Word kOnOff[] = {{"off", 0}, {"on", 1}};

template <size_t N> bool Lookup(const Word (&table)[N], const std::string& word, uint32_t& out) {
    for (const Word& w : table)
        if (word == w.text) {
            out = w.value;
            return true;
        }
    return false;
}

struct ParamWord {
    const char* text;
    ParamKind kind;
};
const ParamWord kParamKinds[] = {
    {"matrix", ParamKind::Matrix},   {"vector", ParamKind::Vector}, {"float", ParamKind::Float},
    {"texture", ParamKind::Texture}, {"cube", ParamKind::Cube},
};

bool IsIdentifier(const std::string& s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    // Names GLSL keeps for itself.
    return s.compare(0, 3, "gl_") != 0 && s.compare(0, 3, "jt_") != 0;
}

std::vector<std::string> Words(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

class Parser {
public:
    Parser(const std::string& text, EffectSource& out, std::string* error)
        : in(text), out(out), error(error) {}

    bool Run() {
        std::string line;
        while (NextLine(line)) {
            std::vector<std::string> w = Words(line);
            if (w.empty()) continue;
            if (!Statement(w)) return false;
        }
        if (!FinishTechnique()) return false;
        if (out.techniques.empty()) return Fail("the file has no technique");
        return true;
    }

private:
    bool NextLine(std::string& line) {
        if (!std::getline(in, line)) return false;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

    bool Fail(const std::string& what) {
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + what;
        return false;
    }

    // GLSL lines up to a line that reads "end"; #line keeps the compiler's
    // line numbers those of the file.
    bool Block(std::string& into) {
        int start = lineNumber;
        into = "#line " + std::to_string(start + 1) + "\n";
        std::string line;
        while (NextLine(line)) {
            std::vector<std::string> w = Words(line);
            if (w.size() == 1 && w[0] == "end" && line.find('#') == std::string::npos) return true;
            into += line;
            into += '\n';
        }
        lineNumber = start;
        return Fail("block without \"end\"");
    }

    bool Statement(const std::vector<std::string>& w) {
        const std::string& what = w[0];
        if (what == "param") return Param(w);
        if (what == "common") {
            if (w.size() != 1) return Fail("\"common\" takes nothing more");
            if (!out.techniques.empty()) return Fail("\"common\" must come before the techniques");
            std::string block;
            if (!Block(block)) return false;
            out.common += block;
            return true;
        }
        if (what == "technique") {
            if (w.size() != 2) return Fail("a technique needs one name");
            if (!FinishTechnique()) return false;
            out.techniques.push_back({w[1], {}});
            return true;
        }
        if (out.techniques.empty()) return Fail("\"" + what + "\" outside a technique");
        TechniqueDecl& technique = out.techniques.back();
        if (what == "pass") {
            if (w.size() > 2) return Fail("a pass takes at most a name");
            if (!FinishPass()) return false;
            technique.passes.push_back({w.size() == 2 ? w[1] : std::string(), {}, {}, {}});
            return true;
        }
        if (technique.passes.empty()) return Fail("\"" + what + "\" outside a pass");
        PassDecl& pass = technique.passes.back();
        if (what == "vertex" || what == "fragment") {
            if (w.size() != 1) return Fail("\"" + what + "\" takes nothing more");
            std::string& stage = what == "vertex" ? pass.vertex : pass.fragment;
            if (!stage.empty()) return Fail("the pass has its " + what + " stage already");
            return Block(stage);
        }
        return State(w, pass);
    }

    bool Param(const std::vector<std::string>& w) {
        if (w.size() != 3) return Fail("a parameter is \"param <kind> <name>\"");
        const ParamWord* kind = nullptr;
        for (const ParamWord& k : kParamKinds)
            if (w[1] == k.text) kind = &k;
        if (!kind) return Fail("unknown parameter kind \"" + w[1] + "\"");
        if (!IsIdentifier(w[2])) return Fail("\"" + w[2] + "\" cannot name a parameter");
        for (const ParamDecl& p : out.params)
            if (p.name == w[2]) return Fail("parameter \"" + w[2] + "\" declared twice");
        out.params.push_back({kind->kind, w[2]});
        return true;
    }

    bool State(const std::vector<std::string>& w, PassDecl& pass) {
        const std::string& what = w[0];
        uint32_t a = 0, b = 0, c = 0;
        auto bad = [&]() { return Fail("bad \"" + what + "\" statement"); };
        if (what == "cull") {
            if (w.size() != 2 || !Lookup(kCullModes, w[1], a)) return bad();
            pass.states.push_back({D3DRS_CULLMODE, a});
        } else if (what == "zwrite") {
            if (w.size() != 2 || !Lookup(kOnOff, w[1], a)) return bad();
            pass.states.push_back({D3DRS_ZWRITEENABLE, a});
        } else if (what == "zenable") {
            if (w.size() < 2 || w.size() > 3 || !Lookup(kOnOff, w[1], a)) return bad();
            pass.states.push_back({D3DRS_ZENABLE, a});
            if (w.size() == 3) {
                if (!Lookup(kCompares, w[2], b)) return bad();
                pass.states.push_back({D3DRS_ZFUNC, b});
            }
        } else if (what == "blend") {
            if (w.size() == 2 && w[1] == "off") {
                pass.states.push_back({D3DRS_ALPHABLENDENABLE, 0});
                return true;
            }
            c = D3DBLENDOP_ADD;
            if (w.size() < 3 || w.size() > 4 || !Lookup(kBlendFactors, w[1], a) ||
                !Lookup(kBlendFactors, w[2], b) || (w.size() == 4 && !Lookup(kBlendOps, w[3], c)))
                return bad();
            pass.states.push_back({D3DRS_ALPHABLENDENABLE, 1});
            pass.states.push_back({D3DRS_SRCBLEND, a});
            pass.states.push_back({D3DRS_DESTBLEND, b});
            pass.states.push_back({D3DRS_BLENDOP, c});
        } else if (what == "alphatest") {
            if (w.size() == 2 && w[1] == "off") {
                pass.states.push_back({D3DRS_ALPHATESTENABLE, 0});
                return true;
            }
            char* end = nullptr;
            long ref = w.size() == 3 ? std::strtol(w[1].c_str(), &end, 10) : -1;
            if (w.size() != 3 || !end || *end || ref < 0 || ref > 255 ||
                !Lookup(kCompares, w[2], b))
                return bad();
            pass.states.push_back({D3DRS_ALPHATESTENABLE, 1});
            pass.states.push_back({D3DRS_ALPHAREF, uint32_t(ref)});
            pass.states.push_back({D3DRS_ALPHAFUNC, b});
        } else {
            return Fail("unknown statement \"" + what + "\"");
        }
        return true;
    }

    bool FinishPass() {
        if (out.techniques.empty() || out.techniques.back().passes.empty()) return true;
        const PassDecl& pass = out.techniques.back().passes.back();
        if (pass.vertex.empty() || pass.fragment.empty())
            return Fail("a pass of technique \"" + out.techniques.back().name +
                        "\" lacks its vertex or fragment stage");
        return true;
    }

    bool FinishTechnique() {
        if (out.techniques.empty()) return true;
        if (!FinishPass()) return false;
        if (out.techniques.back().passes.empty())
            return Fail("technique \"" + out.techniques.back().name + "\" has no pass");
        return true;
    }

    std::istringstream in;
    EffectSource& out;
    std::string* error;
    int lineNumber = 0;
};

} // namespace

bool ParseEffectSource(const std::string& text, EffectSource& out, std::string* error) {
    out = EffectSource{};
    return Parser(text, out, error).Run();
}

} // namespace jentra::effects
