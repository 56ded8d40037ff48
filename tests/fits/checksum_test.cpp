#include "fits/checksum.h"

#include <gtest/gtest.h>

#include <cctype>

#include "fits/header_composer.h"
#include "fits_test_files.h"

namespace {

TEST(OnesComplementSum, WordsAreBigEndianAndCarriesWrapAround) {
  fits::OnesComplementSum sum;
  sum.Add(std::string("\x00\x00\x00\x01\xFF\xFF\xFF\xFF", 8));  // 1 + (-0)
  EXPECT_EQ(sum.Value(), 1u);
  EXPECT_EQ(fits::AddOnesComplement(0xFFFFFFFFu, 2u), 2u);
  EXPECT_EQ(fits::AddOnesComplement(0x80000000u, 0x80000000u), 1u);
}

TEST(OnesComplementSum, PiecesOfAnyLengthGiveTheSameSum) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes.push_back(static_cast<char>(i * 37 + 11));
  fits::OnesComplementSum whole;
  whole.Add(bytes);
  for (const std::size_t piece : {1u, 2u, 3u, 5u, 7u, 999u}) {
    fits::OnesComplementSum pieces;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
      pieces.Add(std::string_view(bytes).substr(at, piece));
    EXPECT_EQ(pieces.Value(), whole.Value()) << piece;
  }
}

TEST(EncodeChecksum, TextMakesTheSumMinusZero) {
  // The value stands in columns 12 to 27 of its card, so its first character
  // is the last byte of a word. Sixteen "0" characters there sum to
  // 4 x 0x30303030; the encoding of a sum x replaces them so that the whole
  // comes to minus zero.
  const auto inCard = [](const std::string& value) { return std::string(3, '\0') + value + '\0'; };
  for (const std::uint32_t x : {0u, 1u, 0xFFFFFFFFu, 0x12345678u, 0xDEADBEEFu, 0x3A3A3A3Au}) {
    const std::string text = fits::EncodeChecksum(x);
    ASSERT_EQ(text.size(), 16u);
    for (const char c : text) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << text;
    fits::OnesComplementSum encoded;
    encoded.Add(inCard(text));
    fits::OnesComplementSum zeros;
    zeros.Add(inCard(std::string(16, '0')));
    EXPECT_EQ(fits::AddOnesComplement(fits::AddOnesComplement(encoded.Value(), ~zeros.Value()), x),
              0xFFFFFFFFu)
        << std::hex << x;
  }
}

TEST(SealIntegrityCards, HeaderAndDataSumToMinusZero) {
  fits::HeaderPlan plan;
  plan.bitpix = 8;
  plan.naxis1 = 4;
  plan.naxis2 = 1;
  const std::vector<std::string> lines = {fits_test::Card("CHECKSUM= 'abc'   / old comment"),
                                          fits_test::Card("OBJECT  = 'x'")};
  plan.keepLines = lines;
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  ASSERT_TRUE(header.integrity);
  EXPECT_EQ(header.bytes.substr(6 * 80, 11), "DATASUM = '");  // added right after CHECKSUM
  const std::string data = std::string("\x01\x02\x03\x04", 4) + std::string(2876, '\0');
  fits::OnesComplementSum dataSum;
  dataSum.Add(data);
  fits::SealIntegrityCards(header, dataSum.Value());
  fits::OnesComplementSum hdu;
  hdu.Add(header.bytes);
  hdu.Add(data);
  EXPECT_EQ(hdu.Value(), 0xFFFFFFFFu);
  EXPECT_EQ(header.bytes.substr(6 * 80, 30), "DATASUM = '16909060'          ");
  EXPECT_EQ(header.bytes.substr(5 * 80 + 28, 16), "   / old comment");
  EXPECT_EQ(header.logLines[5].substr(0, 11), "CHECKSUM= '");
  EXPECT_NE(header.logLines[5], "CHECKSUM= '0000000000000000'   / old comment");

  plan.keepLines = std::span(lines.data() + 1, 1);  // no such cards: none added
  EXPECT_FALSE(fits::ComposeHeader(plan).integrity);
}

}  // namespace
