#pragma once

// Root of the class-library layer: only a virtual destructor, so owners can delete through it.
class CObject {
public:
    CObject() = default;
    virtual ~CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};
