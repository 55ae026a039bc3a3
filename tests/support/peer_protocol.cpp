#include "tests/support/peer_protocol.h"

#include <cstdio>
#include <exception>

namespace peer_protocol {

std::string escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || c == '|' || byte < 0x20 || byte >= 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string unescape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
            hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string formatRecord(const Record& record) {
    std::string line = record.operation;
    line += record.onOrbThread ? "|1|" : "|0|";
    line += std::to_string(record.inFlight);
    for (const auto& arg : record.args) {
        line += '|';
        line += escape(arg);
    }
    return line;
}

Record parseRecord(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    for (const char c : line) {
        if (c == '|') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);

    Record record;
    if (fields.size() < 3 || (fields[1] != "0" && fields[1] != "1")) {
        return record;
    }
    try {
        record.inFlight = std::stoi(fields[2]);
    } catch (const std::exception&) {
        return record;
    }
    record.operation = fields[0];
    record.onOrbThread = fields[1] == "1";
    for (std::size_t i = 3; i < fields.size(); ++i) {
        record.args.push_back(unescape(fields[i]));
    }
    return record;
}

}  // namespace peer_protocol
