#include "accounts/JsonSkim.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cctype>
#include <cstring>

namespace {

// As deep as QJsonDocument lets documents nest.
constexpr int nestingLimit = 1024;

class Scanner {
public:
    explicit Scanner(QByteArrayView text)
        : position(text.data())
        , end(text.data() + text.size()) {}

    const char* position;
    const char* const end;

    bool atEnd() const { return position == end; }
    char peek() const { return *position; }

    void skipWhitespace() {
        while (position != end &&
               (*position == ' ' || *position == '\n' || *position == '\r' || *position == '\t'))
            ++position;
    }

    bool consume(char expected) {
        skipWhitespace();
        if (position == end || *position != expected)
            return false;
        ++position;
        return true;
    }

    // At the opening quote; ends after the closing one. Escapes and UTF-8 are checked.
    bool string(bool* hasEscapes = nullptr) {
        ++position;
        while (position != end) {
            // Most of a large file is plain ASCII text inside strings; pass it quickly.
            while (position != end && isPlainStringByte(static_cast<unsigned char>(*position)))
                ++position;
            if (position == end)
                return false;
            if (*position == '"') {
                ++position;
                return true;
            }
            if (*position == '\\') {
                if (hasEscapes)
                    *hasEscapes = true;
                if (!escape())
                    return false;
            } else if (!utf8Character()) {
                return false;
            }
        }
        return false;
    }

    // QJsonDocument's own number rules, which are laxer than the grammar (".5" and "1." pass)
    // and refuse what does not fit a double ("1e999").
    bool number() {
        const char* start = position;
        if (position != end && *position == '-')
            ++position;
        const char* integer = position;
        if (position != end && *position == '0')
            ++position;
        else
            digits();
        bool canonical = position != integer;
        if (position != end && *position == '.') {
            ++position;
            canonical = digits() && canonical;
        }
        if (position != end && (*position == 'e' || *position == 'E')) {
            canonical = false;
            ++position;
            if (position != end && (*position == '+' || *position == '-'))
                ++position;
            digits();
        }
        // Short plain numbers always fit; only the others are worth converting.
        constexpr qsizetype longestPlainNumber = 300;
        if (canonical && position - start < longestPlainNumber)
            return true;
        bool fits = false;
        QByteArray::fromRawData(start, position - start).toDouble(&fits);
        return fits;
    }

    bool literal(const char* word) {
        const size_t length = std::strlen(word);
        if (static_cast<size_t>(end - position) < length ||
            std::memcmp(position, word, length) != 0)
            return false;
        position += length;
        return true;
    }

    bool value(int depth) {
        skipWhitespace();
        if (position == end)
            return false;
        switch (*position) {
        case '{':
            return object(depth + 1, nullptr);
        case '[':
            return array(depth + 1);
        case '"':
            return string();
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }

    // At "{". With `member`, remembers the value of the last member whose key matches.
    bool object(int depth, JsonSkim::Member* member, QByteArrayView key = {}) {
        if (depth > nestingLimit)
            return false;
        ++position;
        skipWhitespace();
        if (position != end && *position == '}') {
            ++position;
            return true;
        }
        while (true) {
            skipWhitespace();
            if (position == end || *position != '"')
                return false;
            const char* keyStart = position;
            bool keyHasEscapes = false;
            if (!string(&keyHasEscapes))
                return false;
            const QByteArrayView quotedKey(keyStart, position - keyStart);
            if (!consume(':'))
                return false;
            skipWhitespace();
            const char* valueStart = position;
            if (!value(depth))
                return false;
            if (member && matches(quotedKey, key, keyHasEscapes))
                member->value = QByteArrayView(valueStart, position - valueStart);
            if (const std::optional<bool> closed = closesAfterItem('}'))
                return *closed;
        }
    }

private:
    // After a member or an element: true when the container closes here, false when the text
    // is not JSON, absent when a comma says another item follows.
    std::optional<bool> closesAfterItem(char closing) {
        skipWhitespace();
        if (position == end)
            return false;
        if (*position == closing) {
            ++position;
            return true;
        }
        if (*position != ',')
            return false;
        ++position;
        return std::nullopt;
    }

    static bool isPlainStringByte(unsigned char byte) {
        return byte < 0x80 && byte != '"' && byte != '\\';
    }

    bool digits() {
        const char* start = position;
        while (position != end && *position >= '0' && *position <= '9')
            ++position;
        return position != start;
    }

    // QJsonDocument takes any byte after a backslash as an escape; only "\u" needs four
    // hexadecimal digits after it.
    bool escape() {
        ++position;
        if (position == end)
            return false;
        if (*position++ != 'u')
            return true;
        for (int digit = 0; digit < 4; ++digit, ++position)
            if (position == end || !std::isxdigit(static_cast<unsigned char>(*position)))
                return false;
        return true;
    }

    // A well-formed sequence: no overlong forms, no surrogates, nothing above U+10FFFF.
    bool utf8Character() {
        const auto lead = static_cast<unsigned char>(*position);
        int continuation = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuation = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuation = 2;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuation = 3;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - position <= continuation)
            return false;
        for (int index = 1; index <= continuation; ++index) {
            const auto byte = static_cast<unsigned char>(position[index]);
            if (byte < (index == 1 ? low : 0x80) || byte > (index == 1 ? high : 0xBF))
                return false;
        }
        position += continuation + 1;
        return true;
    }

    bool array(int depth) {
        if (depth > nestingLimit)
            return false;
        ++position;
        skipWhitespace();
        if (position != end && *position == ']') {
            ++position;
            return true;
        }
        while (true) {
            if (!value(depth))
                return false;
            if (const std::optional<bool> closed = closesAfterItem(']'))
                return *closed;
        }
    }

    static bool matches(QByteArrayView quotedKey, QByteArrayView key, bool hasEscapes) {
        if (!hasEscapes)
            return quotedKey.size() == key.size() + 2 && quotedKey.sliced(1, key.size()) == key;
        // A key written with escapes is rare; let the full parser decode it.
        const QJsonDocument decoded =
            QJsonDocument::fromJson(QByteArray("[") + quotedKey.toByteArray() + "]");
        return decoded.array().at(0).toString() == QString::fromUtf8(key);
    }
};

} // namespace

namespace JsonSkim {

Member topLevelMember(QByteArrayView document, QByteArrayView key) {
    // QJsonDocument lets a byte order mark stand before the document.
    if (document.startsWith("\xEF\xBB\xBF"))
        document = document.sliced(3);
    Scanner scanner(document);
    Member member;
    scanner.skipWhitespace();
    if (scanner.atEnd() || scanner.peek() != '{' || !scanner.object(1, &member, key))
        return {};
    scanner.skipWhitespace();
    if (!scanner.atEnd())
        return {};
    member.validObject = true;
    return member;
}

} // namespace JsonSkim
