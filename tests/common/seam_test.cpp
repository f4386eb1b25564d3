#include "common/seam.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

using common::ScopedOverride;
using common::Seam;

namespace {

class Greeter {
public:
    virtual ~Greeter() = default;
    virtual const char* Greet() = 0;
};

class Product : public Greeter {
public:
    const char* Greet() override { return "product"; }
};

class Fake : public Greeter {
public:
    explicit Fake(const char* word) : word_(word) {}
    const char* Greet() override {
        ++calls;
        return word_;
    }
    int calls = 0;

private:
    const char* word_;
};

Product g_product;

int Answer() {
    return 42;
}

} // namespace

// An interface seam hands out the product until a test puts a stand-in in,
// reaches the stand-in's own overrides, and puts back what was there before,
// also through nested overrides.
TEST(SeamTest, InterfaceOverridesNestAndRestore) {
    Seam<Greeter> seam(g_product);
    EXPECT_STREQ(seam.Get().Greet(), "product");

    Fake outer("outer");
    Fake inner("inner");
    {
        ScopedOverride first(seam, &outer);
        EXPECT_STREQ(seam->Greet(), "outer");
        EXPECT_EQ(outer.calls, 1);
        {
            ScopedOverride second(seam, &inner);
            EXPECT_STREQ(seam.Get().Greet(), "inner");
            EXPECT_EQ(&seam.Get(), &inner);
        }
        EXPECT_EQ(&seam.Get(), &outer);
    }
    EXPECT_EQ(&seam.Get(), &g_product);
    EXPECT_EQ(inner.calls, 1);
}

// A function seam keeps its default; a stand-in may be a lambda the override
// keeps or a function object the test keeps.
TEST(SeamTest, FunctionOverridesOwnedAndBorrowed) {
    Seam<std::function<int()>> seam(Answer);
    EXPECT_EQ(seam.Get()(), 42);

    int calls = 0;
    {
        ScopedOverride kept(seam, [&calls] { return ++calls; });
        EXPECT_EQ(seam.Get()(), 1);
        std::function<int()> borrowed = [] { return 7; };
        {
            ScopedOverride lent(seam, &borrowed);
            EXPECT_EQ(seam.Get()(), 7);
            borrowed = [] { return 8; };
            EXPECT_EQ(seam.Get()(), 8) << "a borrowed stand-in is used as it stands now";
        }
        EXPECT_EQ(seam.Get()(), 2);
    }
    EXPECT_EQ(seam.Get()(), 42);
    EXPECT_EQ(calls, 2);
}

// A seam borrowing a function object sees it as it is when called.
TEST(SeamTest, BorrowedDefaultIsNotCopied) {
    std::function<int()> product = Answer;
    Seam<std::function<int()>> seam(product);
    product = [] { return 5; };
    EXPECT_EQ(seam.Get()(), 5);
}

// A stand-in that is not there is refused at once and the seam keeps what it
// had, instead of failing later at the first use.
TEST(SeamTest, MissingStandInsAreRefused) {
    Seam<Greeter> greeter(g_product);
    EXPECT_THROW({ ScopedOverride o(greeter, nullptr); }, std::invalid_argument);
    Greeter* none = nullptr;
    EXPECT_THROW({ ScopedOverride o(greeter, none); }, std::invalid_argument);
    EXPECT_EQ(&greeter.Get(), &g_product);

    Seam<std::function<int()>> function(Answer);
    std::function<int()> empty;
    EXPECT_THROW({ ScopedOverride o(function, &empty); }, std::invalid_argument);
    EXPECT_THROW({ ScopedOverride o(function, std::function<int()>()); }, std::invalid_argument);
    EXPECT_EQ(function.Get()(), 42);
}
