#pragma once

#include "base/NodeCode.h"

// How a tree node is marked: an error counter of its page (or, for a root, of any child's
// page) rose within the last seconds, or counts but has not moved since.
enum class NodeMark : unsigned char { None, Standing, Recent };

class INodeMarks {
public:
    virtual ~INodeMarks() = default;
    virtual NodeMark MarkOf(NodeCode node) const = 0;
};
