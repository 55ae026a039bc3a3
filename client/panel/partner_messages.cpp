#include "client/panel/partner_messages.h"

#include <algorithm>

namespace {

std::optional<PartnerMessage> refuse(std::string* error, std::string why) {
    if (error != nullptr) {
        *error = std::move(why);
    }
    return std::nullopt;
}

std::string untilNul(std::string_view payload) {
    return std::string(payload.substr(0, payload.find('\0')));
}

std::int32_t littleEndianInt32(std::string_view payload) {
    std::uint32_t u = 0;
    for (std::size_t b = 0; b < 4; ++b) {
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(payload[b])) << (8 * b);
    }
    return static_cast<std::int32_t>(u);
}

}  // namespace

std::optional<PartnerMessage> ParsePartnerMessage(std::uint64_t type, std::string_view payload,
                                                  std::string* error) {
    const std::string size = std::to_string(payload.size());
    PartnerMessage message;
    switch (type) {
        case 1:
            if (payload.size() > kPartnerTitleMax) {
                return refuse(error, "partner title of " + size + " bytes (at most 83)");
            }
            message.type = PartnerMessageType::PartnerTitle;
            message.text = untilNul(payload);
            return message;
        case 2:
            message.type = PartnerMessageType::SnapshotRequest;
            return message;
        case 3:
        case 4: {
            if (payload.size() != 4) {
                return refuse(
                    error, "type " + std::to_string(type) + " with " + size + " bytes (exactly 4)");
            }
            const std::int32_t value = littleEndianInt32(payload);
            if (type == 3) {
                message.type = PartnerMessageType::CWSpeed;
                message.value =
                    std::clamp<std::int32_t>(value, kPartnerCWSpeedMin, kPartnerCWSpeedMax);
            } else {
                message.type = PartnerMessageType::RFPower;
                message.value =
                    std::clamp<std::int32_t>(value, kPartnerRFPowerMin, kPartnerRFPowerMax);
            }
            return message;
        }
        case 5:
            if (payload.size() > kPartnerCWTextMax) {
                return refuse(error, "CW text of " + size + " bytes (at most 254)");
            }
            message.type = PartnerMessageType::CWText;
            message.text = untilNul(payload);
            return message;
        case 6:
            message.type = PartnerMessageType::ForgetPartner;
            return message;
        default:
            return refuse(error, "unknown type " + std::to_string(type));
    }
}
