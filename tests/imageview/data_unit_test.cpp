// Reading a data unit of every BITPIX into physical values, refusing what
// cannot be read, and where row 1 is drawn.
#include "imageview/data_unit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fits_test_files.h"
#include "imageview/frame_layout.h"

namespace {

using fits_test::Header;

constexpr double kBlank = -4.2e42;  // the row's mark for a BLANK element
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// Big-endian bytes of elements of type T.
template <typename T>
std::string Elements(std::initializer_list<T> values) {
  std::string bytes;
  for (const T value : values) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof raw);
    for (std::size_t i = sizeof raw; i-- > 0;) bytes.push_back(static_cast<char>(raw[i]));
  }
  return bytes;
}

std::string File(int bitpix, const std::string& cards, const std::string& data) {
  return Header("SIMPLE  =                    T|BITPIX  = " + std::to_string(bitpix) +
                "|NAXIS   =                    2|NAXIS1  =                    3|NAXIS2  =                    "
                "2|" +
                cards + "END") +
         data + std::string(static_cast<std::size_t>(fits::FillBytes(std::int64_t(data.size()))), '\0');
}

TEST(ReadDataUnit, EveryBitpixScaledWithItsMissingValues) {
  struct Row {
    int bitpix;
    std::string cards, data;
    double values[6];  // the range is that of the numbers among them
  };
  const double kMost64 = -9223372036854775806.0;
  const Row rows[] = {
      {8,
       "BZERO   = -128|",
       Elements<std::uint8_t>({0, 127, 128, 255, 1, 2}),
       {-128, -1, 0, 127, -127, -126}},
      {16,
       "BZERO   = 32768|BLANK   = -32768|",
       Elements<std::int16_t>({-32768, -32767, 0, 32767, 1, -1}),
       {kBlank, 1, 32768, 65535, 32769, 32767}},
      {32,
       "BSCALE  = 0.5|BZERO   = 10|",
       Elements<std::int32_t>({0, 2, -4, 100000, 7, 1}),
       {10, 11, 8, 50010, 13.5, 10.5}},
      // All 64 bits of BLANK count.
      {64,
       "BLANK   = -9223372036854775807|",
       Elements<std::int64_t>({-9223372036854775807, 5, -5, 0, 1, -9223372036854775806}),
       {kBlank, 5, -5, 0, 1, kMost64}},
      // Floating-point data have no BLANK: NaN is their missing value.
      {-32,
       "BLANK   = 0|",
       Elements<float>({1.5f, NAN, -2.25f, 1e30f, INFINITY, 0.0f}),
       {1.5, kNaN, -2.25, 1e30f, kInf, 0}},
      {-64, "", Elements<double>({1e-300, -1e300, 3.25, NAN, 2, 4}), {1e-300, -1e300, 3.25, kNaN, 2, 4}}};
  fits_test::TempDir dir;
  const std::atomic<bool> cancelled{false};
  for (const Row& row : rows) {
    const std::string path = dir / "image.fit";
    fits_test::WriteBytes(path, File(row.bitpix, row.cards, row.data));
    const auto bitpix = static_cast<std::int16_t>(row.bitpix);
    const imageview::LoadedData data = imageview::ReadDataUnit({path, bitpix, 3, 2, 2880}, cancelled);
    ASSERT_EQ(data.code, imageview::LoadCode::Loaded) << row.bitpix << " " << data.detail;
    for (int i = 0; i < 6; ++i) {
      const auto value = imageview::ValueAt(data.pixels, i % 3, i / 3);
      const double shown = value.value_or(kBlank);
      EXPECT_TRUE(shown == row.values[i] || (std::isnan(shown) && std::isnan(row.values[i])))
          << "BITPIX " << row.bitpix << " element " << i << ": " << shown;
    }
    double least = kInf, most = -kInf;
    for (const double value : row.values)
      if (value != kBlank && std::isfinite(value))
        least = std::min(least, value), most = std::max(most, value);
    EXPECT_EQ(std::pair(data.pixels.minimum, data.pixels.maximum), std::pair(least, most)) << row.bitpix;
  }
}

TEST(ReadDataUnit, RefusesWhatItCannotReadAndStopsWhenCancelled) {
  fits_test::TempDir dir;
  const std::string good = File(16, "", Elements<std::int16_t>({1, 2, 3, 4, 5, 6}));
  fits_test::WriteBytes(dir / "good.fit", good);
  fits_test::WriteBytes(dir / "short.fit", good.substr(0, 2880 + 11));
  struct Row {
    std::string name;
    imageview::DataRequest request;
    bool cancel;
    imageview::LoadCode code;
  };
  const Row rows[] = {
      {"short.fit", {dir / "short.fit", 16, 3, 2, 2880}, false, imageview::LoadCode::Truncated},
      {"another width", {dir / "good.fit", 16, 2, 2, 2880}, false, imageview::LoadCode::Changed},
      {"BITPIX 12", {dir / "good.fit", 12, 3, 2, 2880}, false, imageview::LoadCode::NoImage},
      {"missing", {dir / "missing.fit", 16, 3, 2, 2880}, false, imageview::LoadCode::Unreadable},
      {"cancelled", {dir / "good.fit", 16, 3, 2, 2880}, true, imageview::LoadCode::Cancelled}};
  for (const Row& row : rows) {
    const std::atomic<bool> cancelled{row.cancel};
    const imageview::LoadedData data = imageview::ReadDataUnit(row.request, cancelled);
    EXPECT_EQ(std::pair(data.code, data.pixels.width), std::pair(row.code, 0)) << row.name;
  }
}

TEST(FrameLayout, RowOneWhereTheSavedFileSaysItAndAFlipMirrorsTheRows) {
  struct Row {
    const char* card;
    bool flip;
    const char* text;
    double rowOneV;  // where the centre of the saved image's row 1 is drawn, 4 rows high
    bool storedDown;
  };
  const Row rows[] = {
      {"", false, "Zeile 1 unten", 3.5, false},
      {"", true, "gespiegelt wie gespeichert, Zeile 1 unten", 3.5, true},
      {"ROWORDER= 'TOP-DOWN'", false, "Zeile 1 oben (ROWORDER 'TOP-DOWN')", 0.5, true},
      // The composer turns a known ROWORDER: the picture stays, its rows count the other way.
      {"ROWORDER= 'TOP-DOWN'", true, "gespiegelt wie gespeichert, Zeile 1 unten (ROWORDER 'BOTTOM-UP')", 3.5,
       true},
      {"ROWORDER= 'BOTTOM-UP'", true, "gespiegelt wie gespeichert, Zeile 1 oben (ROWORDER 'TOP-DOWN')", 0.5,
       false},
      {"ROWORDER= 'SIDEWAYS'", false, "Zeile 1 unten (ROWORDER 'SIDEWAYS' unbekannt)", 3.5, false}};
  for (const Row& row : rows) {
    const imageview::PixelCards cards = imageview::ReadPixelCards(Header(std::string(row.card) + "|END"));
    const imageview::FrameLayout layout = imageview::LayoutOf(5, 4, row.flip, cards.rowOrder);
    const imageview::FramePoint point = imageview::FrameOf(layout, 2.0, 1.0);
    double x = 0.0, y = 0.0;
    imageview::PositionOf(layout, {1.25, 2.75}, x, y);
    const double back = imageview::FrameOf(layout, x, y).v;
    EXPECT_EQ(imageview::OrientationText(layout, cards), row.text);
    EXPECT_EQ(std::tuple(point.u, point.v, imageview::StoredRowsDown(layout),
                         imageview::SavedRow(layout, 1.0), back),
              std::tuple(1.5, row.rowOneV, row.storedDown, row.flip ? 4.0 : 1.0, 2.75))
        << row.text;
  }
}

}  // namespace
