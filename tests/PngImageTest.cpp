// SPDX-License-Identifier: MIT
#include "PngImage.h"

#include "PngRead.h"

#include <gtest/gtest.h>

namespace {

TEST(PngImage, ThePixelsComeBackFromTheFileAsTheyWere)
{
    // Every channel's bits in use, the rows wider than the picture: the pixels past
    // the width are no part of it.
    PixelImage rows(37, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 37; ++x)
            rows.View().Row(y)[x] = 0xff000000u | static_cast<std::uint32_t>(x * 0x070503 + y * 0x304050) % 0x1000000;
    const PixelBuffer picture{31, 5, 37, rows.View().pixels};
    std::string png, error;
    ASSERT_TRUE(EncodePng(picture, png, error)) << error;
    const PixelImage decoded = DecodePng(png);
    EXPECT_TRUE(SamePixels(decoded.View(), picture));
}

TEST(PngImage, NoPixelsAndPicturesTooLargeAreRefused)
{
    std::uint32_t pixel = 0;
    const struct {
        PixelBuffer pixels;
        const char* said;
    } rows[] = {
        {{}, "there is no picture"},
        // Past the writer's sizes; refused before a pixel is read.
        {{32768, 32768, 32768, &pixel}, "a picture of 32768x32768 pixels is too large for a PNG file"},
    };
    for (const auto& row : rows) {
        std::string png = "old", error;
        EXPECT_FALSE(EncodePng(row.pixels, png, error));
        EXPECT_EQ(png, "");
        EXPECT_EQ(error.rfind(row.said, 0), 0u) << error;
    }
}

} // namespace
