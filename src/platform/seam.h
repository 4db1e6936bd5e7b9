#pragma once
// A replaceable entry point into the system. Production code calls the seam; tests put a
// recording fake in its place for the length of a scope.

#include <functional>
#include <utility>

namespace vexlor::platform {

template <typename Signature> class Seam {
public:
    using Function = std::function<Signature>;

    explicit Seam(Function real) : current_(std::move(real)) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    template <typename... Args> decltype(auto) operator()(Args&&... args) const {
        return current_(std::forward<Args>(args)...);
    }
    Function Replace(Function replacement) {
        return std::exchange(current_, std::move(replacement));
    }

private:
    Function current_;
};

// Replaces a seam until the end of the scope.
template <typename Signature> class ScopedSeam {
public:
    ScopedSeam(Seam<Signature>& seam, typename Seam<Signature>::Function replacement)
        : seam_(seam), saved_(seam.Replace(std::move(replacement))) {}
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;
    ~ScopedSeam() { seam_.Replace(std::move(saved_)); }

private:
    Seam<Signature>& seam_;
    typename Seam<Signature>::Function saved_;
};

} // namespace vexlor::platform
