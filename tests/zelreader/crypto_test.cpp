// Checksum, cipher and digests against published vectors, through the
// library's exports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "orv/hex.h"
#include "zelreader.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes h(const char* hex) {
    Bytes b;
    EXPECT_TRUE(orv::hex::decode(hex, b)) << hex;
    return b;
}

Bytes ascii(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST(Crc32, IsTheZeroStartVariantWithBytesReversed) {
    const Bytes digits = ascii("123456789");
    EXPECT_EQ(static_cast<uint32_t>(CRC32(digits.data(), 9)), 0x882DFD2Du);
    uint8_t stored[4];
    const int32_t c = CRC32(digits.data(), 9);
    std::memcpy(stored, &c, 4);  // little-endian store gives the register MSB first
    EXPECT_EQ(orv::hex::encode(stored, 4), "2DFD2D88");
    EXPECT_EQ(CRC32(digits.data(), 0), 0);
    EXPECT_EQ(CRC32(digits.data(), -5), 0);
}

struct DesVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

TEST(Des, MatchesPublishedVectorsBothWays) {
    const DesVector vectors[] = {
        {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
        {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
        {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},  // SP 800-17 tables
        {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
    };
    for (const auto& v : vectors) {
        Bytes block = h(v.plain);
        des(block.data(), h(v.key).data(), 0);
        EXPECT_EQ(orv::hex::encode(block), v.cipher) << v.key;
        des(block.data(), h(v.key).data(), 7);  // any non-zero mode decrypts
        EXPECT_EQ(orv::hex::encode(block), v.plain) << v.key;
    }
}

TEST(Des, IgnoresKeyParityBits) {
    Bytes a = h("0123456789ABCDEF"), b = a;
    des(a.data(), h("133457799BBCDFF1").data(), 0);
    des(b.data(), h("123456789ABCDEF0").data(), 0);  // same key, parity bits flipped
    EXPECT_EQ(a, b);
}

TEST(TripleDes, IsEncryptDecryptEncryptWithTwoKeys) {
    const Bytes k1 = h("0123456789ABCDEF"), k2 = h("FEDCBA9876543210");
    Bytes block = h("4E6F772069732074"), expected = block;
    des(expected.data(), k1.data(), 0);
    des(expected.data(), k2.data(), 1);
    des(expected.data(), k1.data(), 0);
    tri_des(block.data(), k1.data(), k2.data(), 0);
    EXPECT_EQ(block, expected);
    tri_des(block.data(), k1.data(), k2.data(), 1);
    EXPECT_EQ(orv::hex::encode(block), "4E6F772069732074");

    Bytes single = h("0123456789ABCDEF"), triple = single;
    des(single.data(), k1.data(), 0);
    tri_des(triple.data(), k1.data(), k1.data(), 0);
    EXPECT_EQ(single, triple);  // equal keys: plain DES
}

// CBC-MAC with ISO/IEC 9797-1 padding method 2, computed block by block.
Bytes cbcMac(const Bytes& data, const Bytes& key, Bytes iv) {
    Bytes padded = data;
    padded.push_back(0x80);
    while (padded.size() % 8)
        padded.push_back(0);
    for (std::size_t off = 0; off < padded.size(); off += 8) {
        for (int i = 0; i < 8; ++i)
            iv[i] ^= padded[off + i];
        des(iv.data(), key.data(), 0);
    }
    return iv;
}

TEST(Mac, EightDataBytesTakeTwoBlocksAndSixteenByteKeysAddTheRetailStep) {
    const Bytes data = h("0011223344556677");
    const Bytes key = h("0123456789ABCDEFFEDCBA9876543210");
    const Bytes iv = h("1122334455667788");

    Bytes mac = iv;
    GenerateMAC(data.data(), key.data(), mac.data(), 8, 8);
    const Bytes single = cbcMac(data, Bytes(key.begin(), key.begin() + 8), iv);
    EXPECT_EQ(mac, single);

    // With the block 80 00 .. 00 left out the result differs: two blocks ran.
    Bytes oneBlock = iv;
    for (int i = 0; i < 8; ++i)
        oneBlock[i] ^= data[i];
    des(oneBlock.data(), key.data(), 0);
    EXPECT_NE(mac, oneBlock);

    Bytes retail = iv;
    GenerateMAC(data.data(), key.data(), retail.data(), 16, 8);
    Bytes expected = single;
    des(expected.data(), key.data() + 8, 1);
    des(expected.data(), key.data(), 0);
    EXPECT_EQ(retail, expected);
}

TEST(Mac, EmptyDataIsOnePaddingBlock) {
    const Bytes key = h("0123456789ABCDEF");
    Bytes mac(8, 0);
    GenerateMAC(nullptr, key.data(), mac.data(), 8, 0);
    EXPECT_EQ(mac, cbcMac({}, key, Bytes(8, 0)));
}

std::string sha1Hex(const Bytes& data) {
    Bytes out(20, 0xEE);
    EXPECT_EQ(getSHA1(data.data(), static_cast<int32_t>(data.size()), out.data()), 1);
    return orv::hex::encode(out);
}

TEST(Sha1, MatchesTheFips180Examples) {
    EXPECT_EQ(sha1Hex(ascii("abc")), "A9993E364706816ABA3E25717850C26C9CD0D89D");
    EXPECT_EQ(sha1Hex(ascii("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983E441C3BD26EBAAE4AA1F95129E5E54670F1");
    EXPECT_EQ(sha1Hex(Bytes(1000000, 'a')), "34AA973CD4C4DAA4F61EEB2BDBAD27316534016F");
    // Lengths around the padding boundary.
    EXPECT_EQ(sha1Hex(Bytes(55, 'a')), "C1C8BBDC22796E28C0E15163D20899B65621D65A");
    EXPECT_EQ(sha1Hex(Bytes(64, 'a')), "0098BA824B5C16427BD7A1122A5A442A25EC644D");
}

std::string md5Hex(const std::string& s) {
    Bytes out(16, 0xEE);
    const Bytes data = ascii(s);
    EXPECT_EQ(getMD5(data.data(), static_cast<int32_t>(data.size()), out.data()), 1);
    return orv::hex::encode(out);
}

TEST(Md5, MatchesTheRfc1321Suite) {
    EXPECT_EQ(md5Hex("a"), "0CC175B9C0F1B6A831C399E269772661");
    EXPECT_EQ(md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(md5Hex("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
    EXPECT_EQ(md5Hex("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
    EXPECT_EQ(md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "D174AB98D277D9F5A5611C2C9F419D9F");
    std::string digits;
    for (int i = 0; i < 8; ++i)
        digits += "1234567890";
    EXPECT_EQ(md5Hex(digits), "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Digests, RefuseEmptyInputAndLeaveTheOutputAlone) {
    const Bytes data = ascii("abc");
    Bytes out(20, 0xEE);
    EXPECT_EQ(getSHA1(data.data(), 0, out.data()), 0);
    EXPECT_EQ(getMD5(data.data(), -1, out.data()), 0);
    EXPECT_EQ(out, Bytes(20, 0xEE));
}

}  // namespace
