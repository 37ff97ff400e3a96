// Render states and texture stages to GL: the wanted GL values are worked
// out from the device state and compared with what GL already holds, so a
// draw sends only what changed.
#include "platform/render/gl_backend.h"

#include <algorithm>
#include <cstring>

namespace platform::render {

namespace {

GLenum BlendFactor(uint32_t blend) {
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum BlendEquation(uint32_t op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum CompareFunc(uint32_t func) {
    switch (func) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum StencilOp(uint32_t op) {
    switch (op) {
    case D3DSTENCILOP_ZERO:
        return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
        return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
        return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
        return GL_DECR;
    case D3DSTENCILOP_INVERT:
        return GL_INVERT;
    case D3DSTENCILOP_INCR:
        return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
        return GL_DECR_WRAP;
    default:
        return GL_KEEP;
    }
}

GLint Wrap(uint32_t address) {
    switch (address) {
    case D3DTADDRESS_MIRROR:
    case D3DTADDRESS_MIRRORONCE:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

GlRasterState WantedRaster(const DeviceState& state) {
    const uint32_t* rs = state.renderStates;
    GlRasterState w;
    w.blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
    w.blendSrc = BlendFactor(rs[D3DRS_SRCBLEND]);
    w.blendDst = BlendFactor(rs[D3DRS_DESTBLEND]);
    // The "both" factors set the source and the destination at once.
    if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA) {
        w.blendSrc = GL_SRC_ALPHA;
        w.blendDst = GL_ONE_MINUS_SRC_ALPHA;
    } else if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA) {
        w.blendSrc = GL_ONE_MINUS_SRC_ALPHA;
        w.blendDst = GL_SRC_ALPHA;
    }
    w.blendEquation = BlendEquation(rs[D3DRS_BLENDOP]);
    const bool haveDepth = state.depthStencil != nullptr;
    w.depthTest = haveDepth && rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    w.depthFunc = CompareFunc(rs[D3DRS_ZFUNC]);
    w.depthWrite = haveDepth && rs[D3DRS_ZWRITEENABLE] != 0;
    // GL writes depth only while testing it; Direct3D can write without
    // testing, which an always-passing test gives.
    if (w.depthWrite && !w.depthTest) {
        w.depthTest = true;
        w.depthFunc = GL_ALWAYS;
    }
    w.cull = rs[D3DRS_CULLMODE] != D3DCULL_NONE;
    w.cullFace = rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK;
    w.polygonMode = rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                    : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                              : GL_FILL;
    w.stencil = haveDepth && rs[D3DRS_STENCILENABLE] != 0;
    w.stencilFunc = CompareFunc(rs[D3DRS_STENCILFUNC]);
    w.stencilRef = GLint(rs[D3DRS_STENCILREF]);
    w.stencilMask = rs[D3DRS_STENCILMASK];
    w.stencilWriteMask = rs[D3DRS_STENCILWRITEMASK];
    w.stencilFail = StencilOp(rs[D3DRS_STENCILFAIL]);
    w.stencilZFail = StencilOp(rs[D3DRS_STENCILZFAIL]);
    w.stencilPass = StencilOp(rs[D3DRS_STENCILPASS]);
    const uint32_t mask = rs[D3DRS_COLORWRITEENABLE];
    for (int i = 0; i < 4; ++i)
        w.colorMask[i] = (mask >> i) & 1;
    w.polygonOffset = float(rs[D3DRS_ZBIAS]);
    return w;
}

void Toggle(GLenum capability, bool on) {
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

} // namespace

void GlBackend::ApplyRaster(const DeviceState& state) {
    const GlRasterState w = WantedRaster(state);
    GlRasterState& have = raster_;
    const bool all = !rasterKnown_;
    if (!all && w == have) return;
    if (all || w.blend != have.blend) Toggle(GL_BLEND, w.blend);
    if (all || w.blendSrc != have.blendSrc || w.blendDst != have.blendDst)
        glBlendFunc(w.blendSrc, w.blendDst);
    if (all || w.blendEquation != have.blendEquation) glBlendEquation(w.blendEquation);
    if (all || w.depthTest != have.depthTest) Toggle(GL_DEPTH_TEST, w.depthTest);
    if (all || w.depthFunc != have.depthFunc) glDepthFunc(w.depthFunc);
    if (all || w.depthWrite != have.depthWrite) glDepthMask(w.depthWrite ? GL_TRUE : GL_FALSE);
    if (all || w.cull != have.cull) Toggle(GL_CULL_FACE, w.cull);
    if (all || w.cullFace != have.cullFace) glCullFace(w.cullFace);
    if (all || w.polygonMode != have.polygonMode) glPolygonMode(GL_FRONT_AND_BACK, w.polygonMode);
    if (all || w.stencil != have.stencil) Toggle(GL_STENCIL_TEST, w.stencil);
    if (all || w.stencilFunc != have.stencilFunc || w.stencilRef != have.stencilRef ||
        w.stencilMask != have.stencilMask)
        glStencilFunc(w.stencilFunc, w.stencilRef, w.stencilMask);
    if (all || w.stencilWriteMask != have.stencilWriteMask) glStencilMask(w.stencilWriteMask);
    if (all || w.stencilFail != have.stencilFail || w.stencilZFail != have.stencilZFail ||
        w.stencilPass != have.stencilPass)
        glStencilOp(w.stencilFail, w.stencilZFail, w.stencilPass);
    if (all || std::memcmp(w.colorMask, have.colorMask, sizeof w.colorMask) != 0)
        glColorMask(w.colorMask[0], w.colorMask[1], w.colorMask[2], w.colorMask[3]);
    if (all || w.polygonOffset != have.polygonOffset) {
        const bool on = w.polygonOffset != 0.0f;
        Toggle(GL_POLYGON_OFFSET_FILL, on);
        Toggle(GL_POLYGON_OFFSET_LINE, on);
        // A larger bias draws nearer, as a depth bias does.
        glPolygonOffset(-w.polygonOffset, -w.polygonOffset);
    }
    have = w;
    rasterKnown_ = true;
}

void GlBackend::ApplyViewport(const D3DVIEWPORT8& v) {
    if (viewportKnown_ && std::memcmp(&v, &viewport_, sizeof v) == 0) return;
    // Surfaces are stored top row first, so Direct3D's y is GL's row.
    glViewport(GLint(v.X), GLint(v.Y), GLsizei(v.Width), GLsizei(v.Height));
    glDepthRange(v.MinZ, v.MaxZ);
    viewport_ = v;
    viewportKnown_ = true;
}

void GlBackend::ApplySampler(int unit, const GlSamplerState& w) {
    GlSamplerState& have = samplerStates_[unit];
    const bool all = !samplerKnown_[unit];
    const GLuint s = samplers_[unit];
    if (!all && w == have) return;
    if (all || w.minFilter != have.minFilter)
        glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, w.minFilter);
    if (all || w.magFilter != have.magFilter)
        glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, w.magFilter);
    if (all || w.wrapS != have.wrapS) glSamplerParameteri(s, GL_TEXTURE_WRAP_S, w.wrapS);
    if (all || w.wrapT != have.wrapT) glSamplerParameteri(s, GL_TEXTURE_WRAP_T, w.wrapT);
    if (all || w.wrapR != have.wrapR) glSamplerParameteri(s, GL_TEXTURE_WRAP_R, w.wrapR);
    if (all || std::memcmp(w.border, have.border, sizeof w.border) != 0)
        glSamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, w.border);
    if (all || w.lodBias != have.lodBias) glSamplerParameterf(s, GL_TEXTURE_LOD_BIAS, w.lodBias);
    if (all || w.minLod != have.minLod) glSamplerParameterf(s, GL_TEXTURE_MIN_LOD, w.minLod);
    if (maxAnisotropy_ > 1.0f && (all || w.maxAnisotropy != have.maxAnisotropy))
        glSamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY_EXT,
                            std::min(w.maxAnisotropy, maxAnisotropy_));
    have = w;
    samplerKnown_[unit] = true;
}

void GlBackend::BindStageTextures(const DeviceState& state) {
    if (stageBindVersion_ == state.stageVersion) return;
    for (int stage = 0; stage < kMaxTextureStages; ++stage) {
        const BaseTexture* texture = state.textures[stage];
        const GLuint name = texture ? GLuint(texture->handle) : 0;
        const bool cube = texture && texture->IsCube();
        // A stage's plain texture sits on unit `stage`, a cube one on the
        // unit eight above, so samplers of both kinds never share a unit.
        const int units[2] = {stage, stage + kMaxTextureStages};
        const GLuint wanted[2] = {cube ? 0 : name, cube ? name : 0};
        const GLenum targets[2] = {GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP};
        for (int k = 0; k < 2; ++k) {
            if (boundTextures_[units[k]] == wanted[k]) continue;
            glActiveTexture(GLenum(GL_TEXTURE0 + units[k]));
            glBindTexture(targets[k], wanted[k]);
            boundTextures_[units[k]] = wanted[k];
        }
        if (!name) continue;

        const uint32_t* ss = state.stageStates[stage];
        GlSamplerState w;
        const bool linearMin = ss[D3DTSS_MINFILTER] >= D3DTEXF_LINEAR;
        // A texture of one level looks the same through any mip filter; a
        // software rasteriser would still read it twice for a linear one.
        const uint32_t mipFilter =
            texture->LevelCount() > 1 ? ss[D3DTSS_MIPFILTER] : uint32_t(D3DTEXF_NONE);
        switch (mipFilter) {
        case D3DTEXF_POINT:
            w.minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            break;
        case D3DTEXF_NONE:
            w.minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
            break;
        default:
            w.minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
            break;
        }
        w.magFilter = ss[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
        w.wrapS = Wrap(ss[D3DTSS_ADDRESSU]);
        w.wrapT = Wrap(ss[D3DTSS_ADDRESSV]);
        w.wrapR = Wrap(ss[D3DTSS_ADDRESSW]);
        const uint32_t border = ss[D3DTSS_BORDERCOLOR];
        w.border[0] = float((border >> 16) & 0xFF) / 255.0f;
        w.border[1] = float((border >> 8) & 0xFF) / 255.0f;
        w.border[2] = float(border & 0xFF) / 255.0f;
        w.border[3] = float(border >> 24) / 255.0f;
        w.lodBias = BitsFloat(ss[D3DTSS_MIPMAPLODBIAS]);
        w.minLod = float(ss[D3DTSS_MAXMIPLEVEL]);
        // Anisotropic filtering where either filter asks for it, up to the
        // stage's limit.
        if (ss[D3DTSS_MINFILTER] == D3DTEXF_ANISOTROPIC ||
            ss[D3DTSS_MAGFILTER] == D3DTEXF_ANISOTROPIC)
            w.maxAnisotropy = float(std::max<uint32_t>(1, ss[D3DTSS_MAXANISOTROPY]));
        ApplySampler(units[cube ? 1 : 0], w);
    }
    stageBindVersion_ = state.stageVersion;
}

} // namespace platform::render
