#include "qt/json_value.h"

#include <cstdint>
#include <cstdio>

namespace halomark::qt {
namespace {

// Nesting deeper than this is refused rather than risking the stack.
constexpr int kMaxDepth = 256;

class Parser
{
public:
    explicit Parser(std::string_view text) : text(text) {}

    std::optional<JsonValue> document()
    {
        // A byte order mark is not JSON, but editors write one.
        if (text.substr(0, 3) == "\xEF\xBB\xBF") {
            position = 3;
        }
        JsonValue value;
        if (!parseValue(value, 0)) {
            return std::nullopt;
        }
        skipSpace();
        if (position != text.size()) {
            return std::nullopt;
        }
        return value;
    }

private:
    bool atEnd() const { return position >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[position]; }

    void skipSpace()
    {
        while (!atEnd() && (text[position] == ' ' || text[position] == '\t' ||
                            text[position] == '\n' || text[position] == '\r')) {
            ++position;
        }
    }

    bool consume(std::string_view word)
    {
        if (text.substr(position, word.size()) != word) {
            return false;
        }
        position += word.size();
        return true;
    }

    bool parseValue(JsonValue& value, int depth)
    {
        if (depth > kMaxDepth) {
            return false;
        }
        skipSpace();
        switch (peek()) {
        case '{':
            return parseObject(value, depth);
        case '[':
            return parseArray(value, depth);
        case '"':
            value.kind = JsonValue::Kind::string;
            return parseString(value.text);
        case 't':
            value.kind = JsonValue::Kind::boolean;
            value.boolean = true;
            return consume("true");
        case 'f':
            value.kind = JsonValue::Kind::boolean;
            value.boolean = false;
            return consume("false");
        case 'n':
            value.kind = JsonValue::Kind::null;
            return consume("null");
        default:
            value.kind = JsonValue::Kind::number;
            return parseNumber(value.text);
        }
    }

    bool parseObject(JsonValue& value, int depth)
    {
        value.kind = JsonValue::Kind::object;
        ++position; // {
        skipSpace();
        if (peek() == '}') {
            ++position;
            return true;
        }
        while (true) {
            skipSpace();
            std::string key;
            if (peek() != '"' || !parseString(key)) {
                return false;
            }
            skipSpace();
            if (peek() != ':') {
                return false;
            }
            ++position;
            JsonValue member;
            if (!parseValue(member, depth + 1)) {
                return false;
            }
            value.keys.push_back(std::move(key));
            value.items.push_back(std::move(member));
            skipSpace();
            if (peek() == ',') {
                ++position;
            } else if (peek() == '}') {
                ++position;
                return true;
            } else {
                return false;
            }
        }
    }

    bool parseArray(JsonValue& value, int depth)
    {
        value.kind = JsonValue::Kind::array;
        ++position; // [
        skipSpace();
        if (peek() == ']') {
            ++position;
            return true;
        }
        while (true) {
            JsonValue element;
            if (!parseValue(element, depth + 1)) {
                return false;
            }
            value.items.push_back(std::move(element));
            skipSpace();
            if (peek() == ',') {
                ++position;
            } else if (peek() == ']') {
                ++position;
                return true;
            } else {
                return false;
            }
        }
    }

    bool digits()
    {
        const std::size_t start = position;
        while (!atEnd() && text[position] >= '0' && text[position] <= '9') {
            ++position;
        }
        return position > start;
    }

    // -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
    bool parseNumber(std::string& out)
    {
        const std::size_t start = position;
        if (peek() == '-') {
            ++position;
        }
        if (peek() == '0') {
            ++position;
        } else if (!digits()) {
            return false;
        }
        if (peek() == '.') {
            ++position;
            if (!digits()) {
                return false;
            }
        }
        if (peek() == 'e' || peek() == 'E') {
            ++position;
            if (peek() == '+' || peek() == '-') {
                ++position;
            }
            if (!digits()) {
                return false;
            }
        }
        out.assign(text.substr(start, position - start));
        return true;
    }

    bool hexQuad(std::uint32_t& code)
    {
        if (position + 4 > text.size()) {
            return false;
        }
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text[position++];
            code <<= 4;
            if (c >= '0' && c <= '9') {
                code |= static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                code |= static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                code |= static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }

    static void appendUtf8(std::string& out, std::uint32_t code)
    {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool parseString(std::string& out)
    {
        ++position; // opening quote
        out.clear();
        while (!atEnd()) {
            const char c = text[position++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false; // control characters must be escaped
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (atEnd()) {
                return false;
            }
            switch (text[position++]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t code = 0;
                if (!hexQuad(code)) {
                    return false;
                }
                if (code >= 0xD800 && code < 0xDC00 && text.substr(position, 2) == "\\u") {
                    const std::size_t afterHigh = position;
                    position += 2;
                    std::uint32_t low = 0;
                    if (hexQuad(low) && low >= 0xDC00 && low < 0xE000) {
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else {
                        position = afterHigh; // a lone high surrogate; the next escape stands
                    }
                }
                if (code >= 0xD800 && code < 0xE000) {
                    code = 0xFFFD; // a surrogate alone has no UTF-8 form
                }
                appendUtf8(out, code);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    std::string_view text;
    std::size_t position = 0;
};

} // namespace

bool JsonValue::isIntegerNumber() const
{
    return kind == Kind::number && text.find_first_of(".eE") == std::string::npos;
}

std::optional<JsonValue> parseJson(std::string_view text)
{
    return Parser(text).document();
}

void appendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendJson(std::string& out, const JsonValue& value)
{
    switch (value.kind) {
    case JsonValue::Kind::null:
        out += "null";
        break;
    case JsonValue::Kind::boolean:
        out += value.boolean ? "true" : "false";
        break;
    case JsonValue::Kind::number:
        out += value.text;
        break;
    case JsonValue::Kind::string:
        appendJsonString(out, value.text);
        break;
    case JsonValue::Kind::array:
        out += '[';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            appendJson(out, value.items[i]);
        }
        out += ']';
        break;
    case JsonValue::Kind::object:
        out += '{';
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            appendJsonString(out, value.keys[i]);
            out += ':';
            appendJson(out, value.items[i]);
        }
        out += '}';
        break;
    }
}

} // namespace halomark::qt
