#include "model/PrintableText.h"

namespace {

bool needsEscape(char32_t codePoint) {
    switch (QChar::category(codePoint)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString escape(char32_t codePoint) {
    switch (codePoint) {
    case U'\t':
        return QStringLiteral("\\t");
    case U'\n':
        return QStringLiteral("\\n");
    case U'\r':
        return QStringLiteral("\\r");
    default:
        break;
    }
    const auto [prefix, digits] = codePoint < 0x100     ? std::pair("\\x", 2)
                                  : codePoint < 0x10000 ? std::pair("\\u", 4)
                                                        : std::pair("\\U", 8);
    return QLatin1String(prefix) +
           QStringLiteral("%1").arg(static_cast<uint>(codePoint), digits, 16, QLatin1Char('0'));
}

} // namespace

namespace PrintableText {

QString escaped(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        char32_t codePoint = text.at(index).unicode();
        const bool pair = QChar::isHighSurrogate(codePoint) && index + 1 < text.size() &&
                          text.at(index + 1).isLowSurrogate();
        if (pair)
            codePoint = QChar::surrogateToUcs4(text.at(index), text.at(index + 1));
        if (codePoint == U'\\')
            result.append(QStringLiteral("\\\\"));
        else if (needsEscape(codePoint))
            result.append(escape(codePoint));
        else
            result.append(pair ? text.mid(index, 2) : QString(text.at(index)));
        if (pair)
            ++index;
    }
    return result;
}

} // namespace PrintableText
