#pragma once

// Base of windows, widgets, lists and data sets: owners delete through this virtual destructor.
class RootObject {
public:
    RootObject() = default;
    virtual ~RootObject() = default;
    RootObject(const RootObject&) = default;
    RootObject& operator=(const RootObject&) = default;

protected:
    // The common tail of derived destructors; the base holds nothing to release.
    void DestroyDerived() {}
};
