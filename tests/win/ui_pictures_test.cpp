// The compiled-in pictures: stored compressed, decoded at load to exactly the
// pixels the artwork script drew (the bitmaps in zorvel/resources, read here
// as the system reads bitmaps), and a picture that cannot be decoded is no
// picture at all, as a missing one is.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "zorvel/resources/resource.h"
#include "zorvel/widgets/images.h"

using namespace widgets;

namespace {

// The bitmap's pixels as 24-bit rows, bottom-up, whatever its own format.
std::vector<BYTE> Pixels(HBITMAP bitmap, SIZE size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> pixels(static_cast<std::size_t>((size.cx * 3 + 3) & ~3) * size.cy);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return rows == size.cy ? pixels : std::vector<BYTE>{};
}

// The artwork script's bitmap of that name, as the program loaded it before
// its pictures were stored compressed; empty when the script drew none.
Bitmap DrawnBitmap(const std::string& name) {
    std::string path = "Z:" ZORVEL_RESOURCES_DIR "/" + name + ".bmp";
    for (char& c : path)
        if (c == '/') c = '\\';
    return Bitmap(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

std::vector<BYTE> ResourceBytes(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    if (!found) return {};
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    return std::vector<BYTE>(data, data + SizeofResource(module, found));
}

TEST(Pictures, EveryCompiledInPictureHasExactlyThePixelsTheScriptDrew) {
    const struct {
        int id;
        const char* name;
    } pictures[] = {
        {IDB_TOOLBAR32, "toolbar32"},          {IDB_TOOLBAR32_HOT, "toolbar32_hot"},
        {IDB_TOOLBAR32_DISABLED, "toolbar32_disabled"}, {IDB_MODE1, "mode1"},
        {IDB_MODE2, "mode2"},                  {IDB_MODE3, "mode3"},
        {IDB_MODE4, "mode4"},                  {IDB_GLYPH_READ, "glyph_read"},
        {IDB_GLYPH_WRITE, "glyph_write"},      {IDB_GLYPH_OK, "glyph_ok"},
        {IDB_GLYPH_CANCEL, "glyph_cancel"},    {IDB_GLYPH_DEFAULT, "glyph_default"},
        {IDB_CHECK_CHECKED, "check_checked"},  {IDB_CHECK_UNCHECKED, "check_unchecked"},
        {IDB_MENU16, "menu16"},                {IDB_GLYPH_COPY64, "glyph_copy64"},
        {IDB_RESTORE, "sys_restore"},          {IDB_MOVE, "sys_move"},
        {IDB_MINIMIZE, "sys_minimize"},        {IDB_MAXIMIZE, "sys_maximize"},
        {IDB_CLOSE, "sys_close"},              {IDB_ABOUT, "sys_about"},
        {IDB_PERIOD_MORNING, "period_morning"}, {IDB_PERIOD_DAY, "period_day"},
        {IDB_PERIOD_EVENING, "period_evening"}, {IDB_PERIOD_NIGHT, "period_night"},
        {IDB_BRIGHTNESS32, "brightness32"},    {IDB_HOURS, "hours"},
        {IDB_INTERFACES32, "interfaces32"},
    };
    const struct {
        int offset;
        const char* suffix;
    } scales[] = {{0, ""}, {IDB_SCALED_150, "_150"}, {IDB_SCALED_200, "_200"}};
    int compared = 0;
    for (const auto& picture : pictures)
        for (const auto& scale : scales) {
            const std::string name = std::string(picture.name) + scale.suffix;
            const Bitmap drawn = DrawnBitmap(name);
            const Bitmap decoded = Bitmap::FromResource(picture.id + scale.offset);
            // Every picture drawn is compiled in, under the id of its scale.
            ASSERT_EQ(static_cast<bool>(drawn), static_cast<bool>(decoded)) << name;
            if (!drawn) continue;
            const SIZE size = drawn.Size();
            ASSERT_EQ(size.cx, decoded.Size().cx) << name;
            ASSERT_EQ(size.cy, decoded.Size().cy) << name;
            const std::vector<BYTE> expected = Pixels(drawn, size);
            ASSERT_FALSE(expected.empty()) << name;
            EXPECT_TRUE(expected == Pixels(decoded, size)) << name << ": the pixels differ";
            ++compared;
        }
    // The design size of every picture and both larger ones.
    EXPECT_EQ(3 * static_cast<int>(std::size(pictures)), compared);
}

TEST(Pictures, WhatCannotBeDecodedIsNoPictureAsAMissingOneIs) {
    const std::vector<BYTE> png = ResourceBytes(IDB_GLYPH_OK);
    ASSERT_GT(png.size(), 64u);
    const Bitmap whole = Bitmap::FromPicture(png.data(), png.size());
    ASSERT_TRUE(whole);
    EXPECT_EQ(96, whole.Size().cx);
    EXPECT_EQ(24, whole.Size().cy);

    std::vector<BYTE> garbled = png;
    for (std::size_t i = 8; i < garbled.size(); ++i) garbled[i] = static_cast<BYTE>(garbled[i] * 7 + 1);
    const std::vector<BYTE> text{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'};
    const struct {
        const char* what;
        const void* data;
        std::size_t size;
    } broken[] = {
        {"no data", nullptr, 0},
        {"no bytes", png.data(), 0},
        {"the signature only", png.data(), 8},
        {"cut in half", png.data(), png.size() / 2},
        {"garbled after the signature", garbled.data(), garbled.size()},
        {"not a picture", text.data(), text.size()},
    };
    for (const auto& b : broken) EXPECT_FALSE(Bitmap::FromPicture(b.data, b.size)) << b.what;
    EXPECT_FALSE(Bitmap::FromResource(9999)) << "no such resource";

    // A list handed no picture stays empty and draws nothing.
    StripList strips;
    strips.Add(Bitmap::FromPicture(png.data(), png.size() / 2));
    EXPECT_EQ(0, strips.Count());
    ImageList list;
    EXPECT_FALSE(list.LoadWhole(Bitmap::FromPicture(text.data(), text.size())));
    EXPECT_EQ(0, list.Count());
}

}  // namespace
