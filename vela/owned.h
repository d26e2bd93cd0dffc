#pragma once
// The one owner of a system handle or descriptor. `Kind` names the handle
// type, its "none" value and the call that closes it:
//     struct Kind {
//         using Handle = ...;
//         static Handle None();
//         static bool Close(Handle handle);  // true when the system closed it
//     };
// Move-only: whoever holds an Owned closes it, once.
#include <utility>

namespace vela {

template <typename Kind>
class Owned {
public:
    using Handle = typename Kind::Handle;

    Owned() = default;
    explicit Owned(Handle handle) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Kind::None(); }

    // Gives the handle up without closing it.
    Handle release() { return std::exchange(handle_, Kind::None()); }

    // Closes the handle held, if any, and takes `handle` instead.
    void reset(Handle handle = Kind::None())
    {
        const Handle old = std::exchange(handle_, handle);
        if (old != Kind::None())
            Kind::Close(old);
    }

    // Closes now, for a caller to whom the result matters (a write that
    // counts only once the close succeeds). False when nothing was held.
    bool Close()
    {
        const Handle old = release();
        return old != Kind::None() && Kind::Close(old);
    }

private:
    Handle handle_ = Kind::None();
};

} // namespace vela
