#pragma once

#include <concepts>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace common {

template <class T> class ScopedOverride;

// A replaceable collaborator: the one place where a program reaches a
// service that tests (or a program's start-up) put something else in place
// of, such as the message boxes, the process launcher or a clock.
//
// A seam always holds a usable collaborator: the product's default from the
// start, or for a while the stand-in of the innermost ScopedOverride. There is
// no "nothing installed" state and no nullptr to give it.
//
// T is either an interface (the seam hands out the implementation by
// reference) or a value type such as std::function (the seam hands out the
// function to call). Polymorphic collaborators are always borrowed, never
// copied, so that a derived stand-in is not cut down to its base.
//
//   Seam<MessageSink> sinks(stderrSink);                // borrowed default
//   Seam<std::function<QDateTime()>> clock(SystemTime); // default kept by the seam
//   sinks->Show(...);  clock.Get()();
//
// A program that puts its own implementation in place for its whole run
// (the widget message boxes, say) does it with a ScopedOverride that lives
// as long as the program.
template <class T> class Seam {
public:
    // A default the seam borrows: it must outlive the seam (a static).
    constexpr explicit Seam(T& product) : current_(&product) {}

    // A default the seam keeps itself, for value collaborators (a function).
    template <class U>
    requires(!std::is_polymorphic_v<T> && !std::same_as<std::decay_t<U>, Seam> &&
             std::constructible_from<T, U&&>) explicit Seam(U&& product)
        : owned_(std::make_unique<T>(std::forward<U>(product))), current_(owned_.get()) {}

    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    // The collaborator in place now.
    T& Get() const { return *current_; }
    T* operator->() const { return current_; }

private:
    friend class ScopedOverride<T>;

    std::unique_ptr<T> owned_;
    T* current_;
};

// Puts a stand-in into a seam for the lifetime of this object and restores
// the collaborator that was in place before when it ends. Overrides of one
// seam nest: the innermost wins, and they end in the reverse order.
//
//   FakeMessages fake;
//   ScopedOverride sink(sinks, &fake);              // stand-in kept by the test
//   ScopedOverride now(clock, [] { return when; }); // stand-in kept by the override
//
// A missing stand-in (nullptr, an empty function) is refused with
// std::invalid_argument rather than left to fail at its first use.
template <class T> class ScopedOverride {
public:
    // A stand-in the caller keeps; it must outlive this override.
    ScopedOverride(Seam<T>& seam, std::type_identity_t<T>* standIn)
        : seam_(seam), previous_(seam.current_) {
        if (!standIn)
            throw std::invalid_argument("ScopedOverride: no stand-in given");
        Refuse(*standIn);
        seam_.current_ = standIn;
    }

    // A stand-in this override keeps (a lambda for a function seam).
    template <class U>
    requires(!std::is_polymorphic_v<T> && !std::is_pointer_v<std::decay_t<U>> &&
             !std::same_as<std::decay_t<U>, std::nullptr_t> && std::constructible_from<T, U&&>)
        ScopedOverride(Seam<T>& seam, U&& standIn)
        : seam_(seam), previous_(seam.current_),
          owned_(std::make_unique<T>(std::forward<U>(standIn))) {
        Refuse(*owned_);
        seam_.current_ = owned_.get();
    }

    ~ScopedOverride() { seam_.current_ = previous_; }

    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    // Refuses function-like stand-ins that hold nothing to call.
    static void Refuse(const T& standIn) {
        if constexpr (requires { static_cast<bool>(standIn); }) {
            if (!static_cast<bool>(standIn))
                throw std::invalid_argument("ScopedOverride: empty stand-in given");
        }
    }

    Seam<T>& seam_;
    T* previous_;
    std::unique_ptr<T> owned_;
};

} // namespace common
