// SPDX-License-Identifier: MIT
#include "IconFile.h"

#include <cstddef>

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

// The system's 16 standard colours, in their palette order.
constexpr Colour kPalette[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
    {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

int Nearest(const std::uint8_t* rgb)
{
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 16; ++i) {
        const long dr = rgb[0] - kPalette[i].r;
        const long dg = rgb[1] - kPalette[i].g;
        const long db = rgb[2] - kPalette[i].b;
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

void Put16(std::string& out, unsigned value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// Rows of a bitmap are padded to whole 32-bit words.
int RowBytes(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// One picture as the icon file holds it: a bitmap header of twice the height (the
// colour bits, then the transparency mask), the palette, 4-bit colour rows and
// 1-bit mask rows, both from the bottom up.
std::string PictureBits(const IconPicture& picture)
{
    std::string bits;
    constexpr std::uint32_t kHeaderSize = 40;
    Put32(bits, kHeaderSize);
    Put32(bits, static_cast<std::uint32_t>(picture.width));
    Put32(bits, static_cast<std::uint32_t>(picture.height * 2));
    Put16(bits, 1); // planes
    Put16(bits, 4); // bits per pixel
    Put32(bits, 0); // no compression
    const int colourRow = RowBytes(picture.width, 4);
    const int maskRow = RowBytes(picture.width, 1);
    Put32(bits, static_cast<std::uint32_t>((colourRow + maskRow) * picture.height));
    Put32(bits, 0);
    Put32(bits, 0);
    Put32(bits, 16); // colours used
    Put32(bits, 0);
    for (const Colour& c : kPalette) {
        bits += static_cast<char>(c.b);
        bits += static_cast<char>(c.g);
        bits += static_cast<char>(c.r);
        bits += '\0';
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        std::string row(static_cast<std::size_t>(colourRow), '\0');
        for (int x = 0; x < picture.width; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * picture.width + x) * 3;
            const int index = Nearest(&picture.rgb[at]);
            row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 == 0 ? index << 4 : index));
        }
        bits += row;
    }
    bits.append(static_cast<std::size_t>(maskRow * picture.height), '\0'); // all opaque
    return bits;
}

} // namespace

std::string IconFile(const std::vector<IconPicture>& pictures)
{
    std::vector<std::string> images;
    for (const IconPicture& picture : pictures)
        images.push_back(PictureBits(picture));
    std::string out;
    Put16(out, 0);
    Put16(out, 1); // an icon
    Put16(out, static_cast<unsigned>(pictures.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        out += static_cast<char>(pictures[i].width < 256 ? pictures[i].width : 0);
        out += static_cast<char>(pictures[i].height < 256 ? pictures[i].height : 0);
        out += static_cast<char>(16); // colours
        out += '\0';
        Put16(out, 1);
        Put16(out, 4);
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::string& image : images)
        out += image;
    return out;
}
