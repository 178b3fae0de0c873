#include "switch-sim/SimConfig.h"

#include <arpa/inet.h>

#include <charconv>
#include <fstream>
#include <sstream>

namespace pm::sim {

namespace {

std::string Trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos)
        return "";
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::optional<long long> ParseNumber(const std::string& s) {
    long long v = 0;
    int base = 10;
    std::string_view t = s;
    if (t.starts_with("0x") || t.starts_with("0X")) {
        base = 16;
        t.remove_prefix(2);
    }
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, base);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || t.empty())
        return std::nullopt;
    return v;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::stringstream in(s);
    for (std::string part; std::getline(in, part, sep);)
        out.push_back(Trim(part));
    return out;
}

bool ParseMac(const std::string& s, std::array<uint8_t, 6>& mac) {
    std::string hex;
    for (char ch : s)
        if (ch != ':' && ch != '-')
            hex += ch;
    if (hex.size() != 12)
        return false;
    for (size_t i = 0; i < 6; ++i) {
        unsigned v = 0;
        const auto r = std::from_chars(hex.data() + 2 * i, hex.data() + 2 * i + 2, v, 16);
        if (r.ec != std::errc() || r.ptr != hex.data() + 2 * i + 2)
            return false;
        mac[i] = static_cast<uint8_t>(v);
    }
    return true;
}

bool ParseBool(const std::string& s, bool& out) {
    if (s == "1" || s == "yes" || s == "true" || s == "on")
        return out = true, true;
    if (s == "0" || s == "no" || s == "false" || s == "off")
        return out = false, true;
    return false;
}

}  // namespace

std::string FormatIp(uint32_t hostOrder) {
    in_addr a{htonl(hostOrder)};
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

std::optional<uint32_t> ParseIp(const std::string& dotted) {
    in_addr a{};
    if (inet_pton(AF_INET, dotted.c_str(), &a) != 1)
        return std::nullopt;
    return ntohl(a.s_addr);
}

bool ApplySetting(SwitchConfig& c, const std::string& key, const std::string& value,
                  std::string& error) {
    auto bad = [&] {
        error = "bad value for " + key + ": '" + value + "'";
        return false;
    };
    auto number = [&](long long lo, long long hi, auto& out) {
        const auto v = ParseNumber(value);
        if (!v || *v < lo || *v > hi)
            return bad();
        out = static_cast<std::remove_reference_t<decltype(out)>>(*v);
        return true;
    };
    if (key == "mac")
        return ParseMac(value, c.mac) || bad();
    if (key == "ip") {
        const auto slash = value.find('/');
        const auto ip = ParseIp(value.substr(0, slash));
        if (!ip)
            return bad();
        c.ip = *ip;
        if (slash != std::string::npos) {
            const auto len = ParseNumber(value.substr(slash + 1));
            if (!len || *len < 1 || *len > 32)
                return bad();
            c.mask = *len == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> *len);
        }
        return true;
    }
    if (key == "mask" || key == "gateway") {
        const auto ip = ParseIp(value);
        if (!ip)
            return bad();
        (key == "mask" ? c.mask : c.gateway) = *ip;
        return true;
    }
    if (key == "product")
        return c.product = value, true;
    if (key == "name")
        return c.systemName = value, true;
    if (key == "location")
        return c.location = value, true;
    if (key == "password")
        return c.password = value, true;
    if (key == "iface")
        return c.iface = value, true;
    if (key == "result_text")
        return c.resultText = value, true;
    if (key == "tftp_error_text")
        return c.tftpErrorText = value, true;
    if (key == "mode") {
        if (value == "static")
            return c.ipMode = 0, true;
        if (value == "dhcp")
            return c.ipMode = 1, true;
        if (value == "bootp")
            return c.ipMode = 2, true;
        return number(0, 2, c.ipMode);
    }
    if (key == "interval")
        return number(-1, 0x7FFFFFFF, c.groupInterval);
    if (key == "revision")
        return number(0, 0xFFFF, c.revision);
    if (key == "wait1")
        return number(0, 0xFFFF, c.wait1);
    if (key == "wait2")
        return number(0, 0xFFFF, c.wait2);
    if (key == "reboot_ms")
        return number(-1, 86400000, c.rebootMs);
    if (key == "poll_reply")
        return number(0, 0xFFFF, c.pollReplyCommand);
    if (key == "result")
        return number(0, 255, c.result);
    if (key == "loss")
        return number(0, 100, c.lossPercent);
    if (key == "tftp_reply_loss")
        return number(0, 100, c.tftpReplyLoss);
    if (key == "seed")
        return number(0, 0xFFFFFFFF, c.seed);
    if (key == "tftp_error_block")
        return number(-1, 0xFFFF, c.tftpErrorBlock);
    if (key == "tftp_block_ms")
        return number(0, 10000, c.tftpBlockMs);
    if (key == "loader")
        return ParseBool(value, c.loader) || bad();
    if (key == "silent")
        return ParseBool(value, c.silent) || bad();
    if (key == "wrong_id")
        return ParseBool(value, c.wrongHeaderId) || bad();
    if (key == "require_trigger")
        return ParseBool(value, c.requireTrigger) || bad();
    if (key == "reply") {
        if (value == "unicast")
            return c.reply = ReplyMode::Unicast, true;
        if (value == "broadcast")
            return c.reply = ReplyMode::Broadcast, true;
        if (value == "subnet")
            return c.reply = ReplyMode::SubnetBroadcast, true;
        if (value == "multicast")
            return c.reply = ReplyMode::Multicast, true;
        return bad();
    }
    if (key == "capabilities") {
        const auto words = Split(value, ':');
        if (words.empty() || words.size() > 4)
            return bad();
        c.capabilities = {};
        for (size_t i = 0; i < words.size(); ++i) {
            const auto v = ParseNumber(words[i]);
            if (!v || *v < 0 || *v > 0xFFFFFFFFLL)
                return bad();
            c.capabilities[i] = static_cast<uint32_t>(*v);
        }
        return true;
    }
    if (key == "fields") {
        c.fields.clear();
        if (value.empty() || value == "none")
            return true;
        for (const auto& f : Split(value, ':')) {
            const auto v = ParseNumber(f);
            if (!v)
                return bad();
            c.fields.insert(static_cast<int>(*v));
        }
        return true;
    }
    error = "unknown key '" + key + "'";
    return false;
}

std::optional<SwitchConfig> ParseSwitchKeys(const std::string& keys, std::string& error) {
    SwitchConfig c;
    for (const auto& pair : Split(keys, ',')) {
        if (pair.empty())
            continue;
        const auto eq = pair.find('=');
        if (eq == std::string::npos) {
            error = "expected key=value, got '" + pair + "'";
            return std::nullopt;
        }
        if (!ApplySetting(c, Trim(pair.substr(0, eq)), Trim(pair.substr(eq + 1)), error))
            return std::nullopt;
    }
    return c;
}

bool LoadConfigFile(const std::string& path, SimOptions& options,
                    std::vector<SwitchConfig>& switches, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read " + path;
        return false;
    }
    bool inSwitch = false;
    int lineNo = 0;
    for (std::string line; std::getline(in, line);) {
        ++lineNo;
        const auto hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        line = Trim(line);
        if (line.empty())
            continue;
        if (line == "[switch]") {
            switches.emplace_back();
            inSwitch = true;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos) {
            error = path + ":" + std::to_string(lineNo) + ": expected key=value";
            return false;
        }
        const std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        std::string why;
        if (inSwitch) {
            if (!ApplySetting(switches.back(), key, value, why)) {
                error = path + ":" + std::to_string(lineNo) + ": " + why;
                return false;
            }
        } else if (key == "base_port") {
            const auto v = ParseNumber(value);
            if (!v || *v < 0 || *v > 0xFFFF) {
                error = path + ":" + std::to_string(lineNo) + ": bad base_port";
                return false;
            }
            options.basePort = static_cast<uint16_t>(*v);
        } else if (key == "group") {
            options.group = value;
        } else if (key == "image_dir") {
            options.imageDir = value;
        } else {
            error =
                path + ":" + std::to_string(lineNo) + ": unknown key '" + key + "' before [switch]";
            return false;
        }
    }
    return true;
}

}  // namespace pm::sim
