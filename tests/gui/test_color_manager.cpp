#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/FatalError.h"
#include "gui/ColorManager.h"

namespace {

void Throw(const char* message) { throw std::runtime_error(message); }

template <typename Action>
std::string FatalMessageOf(Action action)
{
    const FatalErrorHandler previous = SetFatalErrorHandler(&Throw);
    std::string message;
    try {
        action();
    } catch (const std::runtime_error& error) {
        message = error.what();
    }
    SetFatalErrorHandler(previous);
    return message;
}

// Scheme s gives colour i the value base + 0x100 * s + i, so every entry is distinct.
std::vector<ColorRef> Schemes(ColorRef base, int count)
{
    std::vector<ColorRef> table;
    for (int s = 0; s < count; ++s)
        for (int i = 0; i < kPaletteColours; ++i)
            table.push_back(base + 0x100 * ColorRef(s) + ColorRef(i));
    return table;
}

TEST(ColorManager, LooksUpTheCurrentScheme)
{
    const std::vector<ColorRef> table = Schemes(0x10000, 2);
    ColorManager palette(table.data(), 2);
    EXPECT_EQ(palette.Colour(0), 0x10000u);
    EXPECT_EQ(palette.Colour(49), 0x10031u);
    palette.SelectScheme(1);
    EXPECT_EQ(palette.Colour(2), 0x10102u);
    palette.SelectScheme(5);  // no such scheme: unchanged
    EXPECT_EQ(palette.Colour(2), 0x10102u);
}

TEST(ColorManager, IndicesOutsideThePaletteAreFatal)
{
    const std::vector<ColorRef> table = Schemes(0, 1);
    ColorManager palette(table.data(), 1);
    const std::string expected = "ColorManager: Invalid Color Requested";
    EXPECT_EQ(FatalMessageOf([&] { palette.Colour(50); }), expected);
    EXPECT_EQ(FatalMessageOf([&] { palette.Colour(-1); }), expected);
    EXPECT_EQ(FatalMessageOf([&] { palette.Colour(49); }), "");
}

TEST(ColorManager, InheritedColoursComeFromTheOwningAncestor)
{
    const std::vector<ColorRef> grandTable = Schemes(0x300000, 1);
    const std::vector<ColorRef> parentTable = Schemes(0x200000, 1);
    const std::vector<ColorRef> childTable = Schemes(0x100000, 1);
    ColorManager grandparent(grandTable.data(), 1);
    ColorManager parent(parentTable.data(), 1, &grandparent);
    ColorManager child(childTable.data(), 1, &parent);
    child.InheritFromParent(7, true);
    parent.InheritFromParent(7, true);
    child.InheritFromParent(8, true);

    EXPECT_EQ(child.Colour(7), 0x300007u) << "two levels up";
    EXPECT_EQ(child.Colour(8), 0x200008u) << "the parent owns colour 8";
    EXPECT_EQ(child.Colour(9), 0x100009u);

    child.InheritFromParent(7, false);
    EXPECT_EQ(child.Colour(7), 0x100007u);
}

TEST(ColorManager, PaletteWithoutParentKeepsItsOwnColours)
{
    const std::vector<ColorRef> table = Schemes(0x400000, 1);
    ColorManager palette(table.data(), 1);
    palette.InheritFromParent(3, true);
    EXPECT_EQ(palette.Colour(3), 0x400003u);
}

}  // namespace
