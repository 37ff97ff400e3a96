// TransNode and its plain relatives: a node with a local 4 x 4 matrix
// (identity at construction). Group, FrameAnim and DummyLink add no fields;
// they differ in how they save, transform and collapse.
#pragma once

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/node.h"

namespace lumivane {

class TransNode : public Node {
public:
    TransNode();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Transform(TransformState state) override;
    Node* Collapse(Node* parent, Node* after) override;

    // The local matrix post-multiplied by the local matrix of every
    // ancestor that is a TransNode kind.
    Matrix GetWorldMatrix() const;

    Matrix local;

protected:
    TransNode(const TransNode& other) = default;
    // Multiplies M into the keys of every frame channel of this node.
    void TransformFrameKeys(const Matrix& m);
    bool HasFrameChannel() const;
};

class Group : public TransNode {
public:
    Group();
    Node* Clone() override;
    Node* Collapse(Node* parent, Node* after) override;

protected:
    Group(const Group& other) = default;
};

class FrameAnim : public TransNode {
public:
    // After the TransNode record: reserved, written as zeros.
    static constexpr size_t kReservedBytes = 64;

    FrameAnim();
    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void Transform(TransformState state) override;

protected:
    FrameAnim(const FrameAnim& other) = default;
};

// Written as a FrameAnim; read in that layout or as a bare TransNode record
// (without the 64 reserved bytes), which files of either kind hold.
class DummyLink : public FrameAnim {
public:
    DummyLink();
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;

protected:
    DummyLink(const DummyLink& other) = default;
};

} // namespace lumivane
