// What a geometry node needs from its mesh and its effect. Meshes and
// effects live in the renderer; it installs one implementation of this
// interface, and until it does a geometry node behaves as one without mesh
// data (no bound, no polygons, nothing drawn) and cannot load a mesh or an
// effect from a model file.
#pragma once

#include "Jentra/JTMath.h"

class JTUnknown;
class JTMesh;
class JTEffect;
class JTGeoNode;
class JTDrawQueue;

class JTGeoParts {
public:
    virtual ~JTGeoParts() = default;

    // Meshes and effects are engine objects; these convert between the
    // object and its class (null when the object is of another class).
    // Registered type numbers of the mesh and effect base classes: a model
    // file may hold objects of these classes (or derived ones) there, and
    // nothing else (a negative number other than JTUnknown::kAnyClass
    // accepts nothing).
    virtual int MeshClassType() = 0;
    virtual int EffectClassType() = 0;
    virtual JTUnknown* MeshObject(JTMesh* mesh) = 0;
    virtual JTMesh* AsMesh(JTUnknown* object) = 0;
    virtual JTUnknown* EffectObject(JTEffect* effect) = 0;
    virtual JTEffect* AsEffect(JTUnknown* object) = 0;

    virtual int MeshVertexCount(JTMesh* mesh) = 0;
    virtual int MeshFaceCount(JTMesh* mesh) = 0;
    virtual float MeshBoundRadius(JTMesh* mesh) = 0;
    // Model-space corners of one face; false when the face does not exist.
    virtual bool MeshFace(JTMesh* mesh, int face, JTVec3 corners[3]) = 0;
    // Model-space position of one vertex; false when it does not exist.
    virtual bool MeshVertex(JTMesh* mesh, int index, JTVec3& position) = 0;
    virtual void MeshDrawPrimitives(JTMesh* mesh, JTDrawQueue* display, bool dynamic,
                                    JTGeoNode* node) = 0;
    virtual void MeshCreateStrip(JTMesh* mesh) = 0;
    virtual void MeshSetUseStrips(JTMesh* mesh, bool on) = 0;

    virtual bool EffectTransparent(JTEffect* effect) = 0;
    virtual void EffectRender(JTEffect* effect, JTDrawQueue* display, JTGeoNode* node) = 0;
};

// The installed implementation, or null.
JTGeoParts* GetGeoParts();
void SetGeoParts(JTGeoParts* parts);
