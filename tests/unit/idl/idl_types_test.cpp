// Wire encoding and type codes of the IDL structs, checked against bytes and
// lengths worked out by hand from the data model (not from generated code).

#include <gtest/gtest.h>
#include <omniORB4/CORBA.h>

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "RadioCmdNotification.hh"
#include "RadioComm.hh"
#include "tests/support/row_names.h"

namespace {

static_assert(std::endian::native == std::endian::little,
              "the hand-written bytes below are little-endian");

// Expected bytes with the padding positions left open (nullopt).
class ExpectedBytes {
  public:
    void putShort(std::int16_t value) {
        align(2);
        putRaw(static_cast<std::uint32_t>(static_cast<std::uint16_t>(value)), 2);
    }
    void putLong(std::int32_t value) {
        align(4);
        putRaw(static_cast<std::uint32_t>(value), 4);
    }
    std::size_t size() const { return m_bytes.size(); }

    ::testing::AssertionResult matches(const void* data, std::size_t size) const {
        if (size != m_bytes.size()) {
            return ::testing::AssertionFailure() << "size " << size << ", want " << m_bytes.size();
        }
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            if (m_bytes[i] && *m_bytes[i] != bytes[i]) {
                return ::testing::AssertionFailure()
                       << "byte " << i << " is " << int(bytes[i]) << ", want " << int(*m_bytes[i]);
            }
        }
        return ::testing::AssertionSuccess();
    }

  private:
    void align(std::size_t n) {
        while (m_bytes.size() % n != 0) {
            m_bytes.emplace_back(std::nullopt);
        }
    }
    void putRaw(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            m_bytes.emplace_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    std::vector<std::optional<std::uint8_t>> m_bytes;
};

// Distinct, recognisable values so that a swapped member shows.
std::int32_t longAt(int i) {
    return 0x11223300 + i;
}
std::int16_t shortAt(int i) {
    return static_cast<std::int16_t>(0x4400 + i);
}

template <class T>
cdrMemoryStream marshalled(const T& value) {
    cdrMemoryStream stream;
    value >>= stream;
    return stream;
}

RADIO_MEM_INFO distinctMemInfo() {
    RADIO_MEM_INFO m{};
    m.ulVFOA_Freq = longAt(1);
    m.ulVFOB_Freq = longAt(2);
    CORBA::Short* shorts[] = {
        &m.uiOpMode,      &m.uiXFIL,      &m.uiCurXFILBW, &m.uiAFIL,          &m.uiAGC,
        &m.uiNB,          &m.uiCWSpeed,   &m.uiAntPos,    &m.iRFPower,        &m.uiActiveRxVFO,
        &m.uiActiveTxVFO, &m.bPreAmpMode, &m.bAttMode,    &m.iIncTuneReading, &m.bRITEnable,
        &m.bXITEnable};
    for (int i = 0; i < 16; ++i) {
        *shorts[i] = shortAt(i);
    }
    return m;
}

TEST(IdlStructEncoding, RadioMemInfoIsTwoLongsThenSixteenShorts) {
    ExpectedBytes expected;
    expected.putLong(longAt(1));
    expected.putLong(longAt(2));
    for (int i = 0; i < 16; ++i) {
        expected.putShort(shortAt(i));
    }
    ASSERT_EQ(expected.size(), 40u);
    const cdrMemoryStream stream = marshalled(distinctMemInfo());
    EXPECT_TRUE(expected.matches(stream.bufPtr(), stream.bufSize()));
}

TEST(IdlStructEncoding, BandInfoRecordsArePaddedAfterTheShort) {
    HAMRADIO_BAND_INFO bands{};
    ExpectedBytes expected;
    for (int b = 0; b < 9; ++b) {
        bands.Info[b].uiBandFreq = shortAt(b);
        bands.Info[b].ulLowBandEdge = longAt(2 * b);
        bands.Info[b].ulHighBandEdge = longAt(2 * b + 1);
        expected.putShort(shortAt(b));
        expected.putLong(longAt(2 * b));
        expected.putLong(longAt(2 * b + 1));
    }
    ASSERT_EQ(expected.size(), 108u);

    const cdrMemoryStream one = marshalled(bands.Info[0]);
    EXPECT_EQ(one.bufSize(), 12u);
    const cdrMemoryStream all = marshalled(bands);
    EXPECT_TRUE(expected.matches(all.bufPtr(), all.bufSize()));
}

TEST(IdlStructEncoding, VfoBankRunsTheLastIndexFastest) {
    LAST_FREQ_VISIT_ARRAY cache{};
    ExpectedBytes expected;
    for (int b = 0; b < 9; ++b) {
        for (int v = 0; v < 2; ++v) {
            cache.VfoBank[b][v] = longAt(10 * b + v);
        }
    }
    // [0][0], [0][1], [1][0], ...
    for (int b = 0; b < 9; ++b) {
        expected.putLong(longAt(10 * b));
        expected.putLong(longAt(10 * b + 1));
    }
    ASSERT_EQ(expected.size(), 72u);
    const cdrMemoryStream stream = marshalled(cache);
    EXPECT_TRUE(expected.matches(stream.bufPtr(), stream.bufSize()));
}

TEST(IdlStructDecoding, MembersKeepTheirSign) {
    // uiOpMode of 0xFFFF: the prefix says unsigned, the IDL says short.
    RADIO_MEM_INFO info = distinctMemInfo();
    info.uiOpMode = 0;
    cdrMemoryStream stream = marshalled(info);
    auto* bytes = static_cast<std::uint8_t*>(stream.bufPtr());
    bytes[8] = 0xFF;
    bytes[9] = 0xFF;
    RADIO_MEM_INFO decoded{};
    decoded <<= stream;
    EXPECT_EQ(decoded.uiOpMode, -1);
    EXPECT_EQ(decoded.ulVFOB_Freq, longAt(2));
    EXPECT_EQ(decoded.bXITEnable, shortAt(15));

    A_RADIO_BAND_INFO band{};
    band.ulHighBandEdge = 7;
    cdrMemoryStream bandStream = marshalled(band);
    auto* bandBytes = static_cast<std::uint8_t*>(bandStream.bufPtr());
    bandBytes[0] = 0xFF;
    bandBytes[1] = 0xFF;
    A_RADIO_BAND_INFO decodedBand{};
    decodedBand <<= bandStream;
    EXPECT_EQ(decodedBand.uiBandFreq, -1);
    EXPECT_EQ(decodedBand.ulHighBandEdge, 7);
}

TEST(IdlStructDecoding, ShortStreamRaisesMarshal) {
    const cdrMemoryStream full = marshalled(distinctMemInfo());
    std::vector<std::uint8_t> cut(static_cast<const std::uint8_t*>(full.bufPtr()),
                                  static_cast<const std::uint8_t*>(full.bufPtr()) + 39);
    cdrMemoryStream shortStream(cut.data(), cut.size());
    RADIO_MEM_INFO decoded{};
    EXPECT_THROW(decoded <<= shortStream, CORBA::MARSHAL);
}

// --- Type codes ----------------------------------------------------------

struct Member {
    const char* name;
    CORBA::TCKind kind;
};

struct TypeCodeCase {
    const char* label;
    CORBA::TypeCode_ptr (*typeCode)();
    CORBA::TCKind kind;
    const char* id;
    const char* name;
    std::vector<Member> members;
    CORBA::ULong encapsulationLength;
};
ROW_NAME(TypeCodeCase, row.label);

// Kind and encapsulation length of a type code as it goes on the wire.
std::pair<CORBA::ULong, CORBA::ULong> wireHeader(CORBA::TypeCode_ptr tc) {
    cdrMemoryStream stream;
    CORBA::TypeCode::marshalTypeCode(tc, stream);
    CORBA::ULong kind = 0;
    CORBA::ULong length = 0;
    kind <<= stream;
    length <<= stream;
    return {kind, length};
}

std::vector<Member> memInfoMembers() {
    std::vector<Member> members{{"ulVFOA_Freq", CORBA::tk_long}, {"ulVFOB_Freq", CORBA::tk_long}};
    for (const char* name :
         {"uiOpMode", "uiXFIL", "uiCurXFILBW", "uiAFIL", "uiAGC", "uiNB", "uiCWSpeed", "uiAntPos",
          "iRFPower", "uiActiveRxVFO", "uiActiveTxVFO", "bPreAmpMode", "bAttMode",
          "iIncTuneReading", "bRITEnable", "bXITEnable"}) {
        members.push_back({name, CORBA::tk_short});
    }
    return members;
}

class TypeCodeTest : public ::testing::TestWithParam<TypeCodeCase> {};

TEST_P(TypeCodeTest, MatchesTheDataModel) {
    const TypeCodeCase& c = GetParam();
    CORBA::TypeCode_ptr tc = c.typeCode();
    EXPECT_EQ(tc->kind(), c.kind);
    EXPECT_STREQ(tc->id(), c.id);
    EXPECT_STREQ(tc->name(), c.name);
    if (c.kind == CORBA::tk_struct) {
        ASSERT_EQ(tc->member_count(), c.members.size());
        for (CORBA::ULong i = 0; i < c.members.size(); ++i) {
            EXPECT_STREQ(tc->member_name(i), c.members[i].name) << "member " << i;
            CORBA::TypeCode_var memberType = tc->member_type(i);
            EXPECT_EQ(memberType->kind(), c.members[i].kind) << "member " << i;
        }
    }
    const auto [wireKind, length] = wireHeader(tc);
    EXPECT_EQ(wireKind, static_cast<CORBA::ULong>(c.kind));
    EXPECT_EQ(length, c.encapsulationLength);
}

INSTANTIATE_TEST_SUITE_P(IdlTypes, TypeCodeTest,
                         ::testing::Values(TypeCodeCase{"LastFreqVisitArray",
                                                        [] { return _tc_LAST_FREQ_VISIT_ARRAY; },
                                                        CORBA::tk_struct,
                                                        "IDL:LAST_FREQ_VISIT_ARRAY:1.0",
                                                        "LAST_FREQ_VISIT_ARRAY",
                                                        {{"VfoBank", CORBA::tk_array}},
                                                        120},
                                           TypeCodeCase{"ARadioBandInfo",
                                                        [] { return _tc_A_RADIO_BAND_INFO; },
                                                        CORBA::tk_struct,
                                                        "IDL:A_RADIO_BAND_INFO:1.0",
                                                        "A_RADIO_BAND_INFO",
                                                        {{"uiBandFreq", CORBA::tk_short},
                                                         {"ulLowBandEdge", CORBA::tk_long},
                                                         {"ulHighBandEdge", CORBA::tk_long}},
                                                        132},
                                           TypeCodeCase{"HamradioBandInfo",
                                                        [] { return _tc_HAMRADIO_BAND_INFO; },
                                                        CORBA::tk_struct,
                                                        "IDL:HAMRADIO_BAND_INFO:1.0",
                                                        "HAMRADIO_BAND_INFO",
                                                        {{"Info", CORBA::tk_array}},
                                                        232},
                                           TypeCodeCase{"RadioMemInfo",
                                                        [] { return _tc_RADIO_MEM_INFO; },
                                                        CORBA::tk_struct, "IDL:RADIO_MEM_INFO:1.0",
                                                        "RADIO_MEM_INFO", memInfoMembers(), 412},
                                           TypeCodeCase{"RadioComm",
                                                        [] { return _tc_RadioComm; },
                                                        CORBA::tk_objref,
                                                        "IDL:RadioComm:1.0",
                                                        "RadioComm",
                                                        {},
                                                        42},
                                           TypeCodeCase{"RadioCmdNotification",
                                                        [] { return _tc_RadioCmdNotification; },
                                                        CORBA::tk_objref,
                                                        "IDL:RadioCmdNotification:1.0",
                                                        "RadioCmdNotification",
                                                        {},
                                                        65}),
                         CaseName());

TEST(IdlTypes, ArrayMembersNestAsDeclared) {
    CORBA::TypeCode_var bank = _tc_LAST_FREQ_VISIT_ARRAY->member_type(0);
    EXPECT_EQ(bank->length(), 9u);
    CORBA::TypeCode_var pair = bank->content_type();
    EXPECT_EQ(pair->kind(), CORBA::tk_array);
    EXPECT_EQ(pair->length(), 2u);
    CORBA::TypeCode_var frequency = pair->content_type();
    EXPECT_EQ(frequency->kind(), CORBA::tk_long);

    CORBA::TypeCode_var info = _tc_HAMRADIO_BAND_INFO->member_type(0);
    EXPECT_EQ(info->length(), 9u);
    CORBA::TypeCode_var record = info->content_type();
    EXPECT_TRUE(record->equal(_tc_A_RADIO_BAND_INFO));
}

TEST(IdlTypes, RepositoryIds) {
    EXPECT_STREQ(RadioComm::_PD_repoId, "IDL:RadioComm:1.0");
    EXPECT_STREQ(RadioCmdNotification::_PD_repoId, "IDL:RadioCmdNotification:1.0");
}

}  // namespace
