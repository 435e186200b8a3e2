#include "analysis/report_font.h"

#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QStandardPaths>
#include <QtEndian>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace vev {

namespace {

// Big-endian reads that fail softly: a short or damaged file gives no value.
struct Bytes {
    const QByteArray& data;
    std::optional<quint32> at(qsizetype offset, int size) const {
        if (offset < 0 || offset + size > data.size()) return std::nullopt;
        const auto* p = reinterpret_cast<const uchar*>(data.constData() + offset);
        return size == 2 ? qFromBigEndian<quint16>(p) : qFromBigEndian<quint32>(p);
    }
};

struct Table {
    quint32 tag = 0;
    quint32 offset = 0;
    quint32 length = 0;
};

constexpr quint32 tag(const char (&name)[5]) {
    return quint32(uchar(name[0])) << 24 | quint32(uchar(name[1])) << 16 |
           quint32(uchar(name[2])) << 8 | quint32(uchar(name[3]));
}

std::vector<qsizetype> faceOffsets(const Bytes& b) {
    if (b.at(0, 4) != tag("ttcf")) return {0};
    std::vector<qsizetype> offsets;
    const quint32 faces = b.at(8, 4).value_or(0);
    for (quint32 i = 0; i < faces && i < 64; ++i)
        if (const auto offset = b.at(12 + 4 * qsizetype(i), 4)) offsets.push_back(*offset);
    return offsets;
}

std::vector<Table> tablesOf(const Bytes& b, qsizetype face) {
    std::vector<Table> tables;
    const quint32 count = b.at(face + 4, 2).value_or(0);
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype record = face + 12 + 16 * qsizetype(i);
        const auto name = b.at(record, 4), offset = b.at(record + 8, 4),
                   length = b.at(record + 12, 4);
        if (!name || !offset || !length || qsizetype(*offset) + *length > b.data.size()) return {};
        tables.push_back({*name, *offset, *length});
    }
    return tables;
}

const Table* find(const std::vector<Table>& tables, quint32 name) {
    const auto it = std::find_if(tables.begin(), tables.end(),
                                 [name](const Table& t) { return t.tag == name; });
    return it == tables.end() ? nullptr : &*it;
}

// The Windows Unicode full name (name ID 4) of a face.
QString fullNameOf(const Bytes& b, const Table& name) {
    const quint32 count = b.at(name.offset + 2, 2).value_or(0);
    const quint32 strings = name.offset + b.at(name.offset + 4, 2).value_or(0);
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype r = name.offset + 6 + 12 * qsizetype(i);
        if (b.at(r, 2) != 3u || b.at(r + 6, 2) != 4u) continue;
        const quint32 length = b.at(r + 8, 2).value_or(0);
        const qsizetype start = strings + b.at(r + 10, 2).value_or(0);
        if (start + length > b.data.size()) return {};
        QString text;
        for (quint32 k = 0; k + 1 < length; k += 2) text += QChar(char16_t(*b.at(start + k, 2)));
        return text;
    }
    return {};
}

// Character to glyph from the full-range Unicode subtable (platform 3, encoding 10, format 12),
// which Noto Sans CJK has; empty when there is none.
std::map<quint32, quint32> characterMap(const Bytes& b, const Table& cmap) {
    std::map<quint32, quint32> map;
    const quint32 count = b.at(cmap.offset + 2, 2).value_or(0);
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype r = cmap.offset + 4 + 8 * qsizetype(i);
        if (b.at(r, 2) != 3u || b.at(r + 2, 2) != 10u) continue;
        const qsizetype sub = cmap.offset + b.at(r + 4, 4).value_or(0);
        if (b.at(sub, 2) != 12u) continue;
        const quint32 groups = b.at(sub + 12, 4).value_or(0);
        for (quint32 g = 0; g < groups; ++g) {
            const qsizetype at = sub + 16 + 12 * qsizetype(g);
            const auto first = b.at(at, 4), last = b.at(at + 4, 4), glyph = b.at(at + 8, 4);
            if (!first || !last || !glyph || *last < *first || *last > 0x10FFFF) return {};
            for (quint32 c = *first; c <= *last; ++c) map[c] = *glyph + (c - *first);
        }
        return map;
    }
    return map;
}

// How much a character is wanted as the one a shared glyph stands for: the ideographs and the
// full-width forms that windows-31j decodes to, then kana and Japanese punctuation, then the
// rest (radicals, general punctuation, the rarer ideograph blocks).
int preference(quint32 c) {
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFF00 && c <= 0xFFEF))
        return 0;
    if (c >= 0x3000 && c <= 0x30FF) return 1;
    return 2;
}

// Keeps, for every glyph that several characters share, only the most wanted of them (all of
// them when they are equally wanted, as the writer then takes the lowest).
std::map<quint32, quint32> withoutLookAlikes(const std::map<quint32, quint32>& map) {
    std::map<quint32, int> best; // glyph -> best preference
    for (const auto& [c, glyph] : map) {
        const auto it = best.find(glyph);
        if (it == best.end() || preference(c) < it->second) best[glyph] = preference(c);
    }
    std::map<quint32, quint32> kept;
    for (const auto& [c, glyph] : map)
        if (preference(c) == best[glyph]) kept.emplace(c, glyph);
    return kept;
}

void put16(QByteArray& out, quint32 v) {
    out.append(char(v >> 8)).append(char(v));
}
void put32(QByteArray& out, quint32 v) {
    put16(out, v >> 16);
    put16(out, v & 0xFFFF);
}

QByteArray cmapTable(const std::map<quint32, quint32>& map) {
    struct Group {
        quint32 first, last, glyph;
    };
    std::vector<Group> groups;
    for (const auto& [c, glyph] : map) {
        if (!groups.empty() && groups.back().last + 1 == c &&
            groups.back().glyph + (c - groups.back().first) == glyph)
            groups.back().last = c;
        else
            groups.push_back({c, c, glyph});
    }
    QByteArray out;
    put16(out, 0); // version
    put16(out, 2); // Unicode full range, then Windows full range, one subtable
    for (const quint32 platform : {0u, 3u}) {
        put16(out, platform);
        put16(out, platform == 0 ? 4 : 10);
        put32(out, 20);
    }
    put16(out, 12);
    put16(out, 0);
    put32(out, 16 + 12 * quint32(groups.size()));
    put32(out, 0); // language
    put32(out, quint32(groups.size()));
    for (const Group& g : groups) {
        put32(out, g.first);
        put32(out, g.last);
        put32(out, g.glyph);
    }
    return out;
}

QByteArray nameTable(const QString& family, bool bold) {
    const QString style = bold ? QStringLiteral("Bold") : QStringLiteral("Regular");
    QString postscript = family + QLatin1Char('-') + style;
    postscript.remove(QLatin1Char(' '));
    const QString texts[] = {family, style, family + QLatin1Char(' ') + style, postscript};
    const quint32 ids[] = {1, 2, 4, 6};
    QByteArray strings;
    QByteArray out;
    put16(out, 0);
    put16(out, 4);
    put16(out, 6 + 4 * 12);
    for (int i = 0; i < 4; ++i) {
        put16(out, 3);
        put16(out, 1);
        put16(out, 0x409);
        put16(out, ids[i]);
        put16(out, quint32(texts[i].size() * 2));
        put16(out, quint32(strings.size()));
        for (const QChar ch : texts[i]) put16(strings, ch.unicode());
    }
    return out + strings;
}

quint32 checksum(const QByteArray& table) {
    quint32 sum = 0;
    for (qsizetype i = 0; i < table.size(); i += 4) {
        quint32 word = 0;
        for (qsizetype k = 0; k < 4; ++k)
            word = word << 8 | (i + k < table.size() ? uchar(table[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

// Where the installed Noto Sans CJK files are (Debian: /usr/share/fonts/opentype/noto).
QString findFontFile(const QStringList& names) {
    QStringList roots = QStandardPaths::standardLocations(QStandardPaths::FontsLocation);
    roots << QStringLiteral("/usr/share/fonts") << QStringLiteral("/usr/local/share/fonts");
    for (const QString& root : roots) {
        QDirIterator it(root, names, QDir::Files, QDirIterator::Subdirectories);
        if (it.hasNext()) return it.next();
    }
    return {};
}

bool registerFace(const QStringList& files, const QString& fullName) {
    QFile file(findFontFile(files));
    if (file.fileName().isEmpty() || !file.open(QIODevice::ReadOnly)) return false;
    const QByteArray face = textFaithfulFace(file.readAll(), fullName, reportJapaneseFamily());
    return !face.isEmpty() && QFontDatabase::addApplicationFontFromData(face) >= 0;
}

} // namespace

QByteArray textFaithfulFace(const QByteArray& fontFile, const QString& fullName,
                            const QString& family) {
    const Bytes b{fontFile};
    for (const qsizetype face : faceOffsets(b)) {
        const std::vector<Table> tables = tablesOf(b, face);
        const Table* name = find(tables, tag("name"));
        const Table* cmap = find(tables, tag("cmap"));
        if (!name || !cmap || fullNameOf(b, *name) != fullName) continue;
        const std::map<quint32, quint32> map = characterMap(b, *cmap);
        if (map.empty()) return {};

        // Every table as it is but the character map and the names; the signature no longer
        // fits and goes.
        std::vector<std::pair<quint32, QByteArray>> out;
        for (const Table& t : tables) {
            if (t.tag == tag("DSIG")) continue;
            if (t.tag == tag("cmap"))
                out.emplace_back(t.tag, cmapTable(withoutLookAlikes(map)));
            else if (t.tag == tag("name"))
                out.emplace_back(t.tag,
                                 nameTable(family, fullName.endsWith(QStringLiteral("Bold"))));
            else
                out.emplace_back(t.tag, fontFile.mid(t.offset, t.length));
        }
        std::sort(out.begin(), out.end(),
                  [](const auto& x, const auto& y) { return x.first < y.first; });

        QByteArray file;
        const auto count = quint32(out.size());
        quint32 power = 1, log = 0;
        while (power * 2 <= count) power *= 2, ++log;
        put32(file, b.at(face, 4).value_or(0)); // 'OTTO' or 1.0, as the face had it
        put16(file, count);
        put16(file, power * 16);
        put16(file, log);
        put16(file, count * 16 - power * 16);
        quint32 offset = 12 + 16 * count;
        for (const auto& [t, data] : out) {
            put32(file, t);
            put32(file, checksum(data));
            put32(file, offset);
            put32(file, quint32(data.size()));
            offset += (quint32(data.size()) + 3) & ~3u;
        }
        for (const auto& [t, data] : out) {
            file += data;
            file.append((4 - data.size() % 4) % 4, '\0');
        }
        return file;
    }
    return {};
}

QString reportJapaneseFamily() {
    return QStringLiteral("VEV Noto Sans CJK JP");
}

QStringList reportFontFamilies() {
    static const bool registered = [] {
        const bool regular = registerFace({QStringLiteral("NotoSansCJK-Regular.ttc"),
                                           QStringLiteral("NotoSansCJKjp-Regular.otf")},
                                          QStringLiteral("Noto Sans CJK JP"));
        registerFace(
            {QStringLiteral("NotoSansCJK-Bold.ttc"), QStringLiteral("NotoSansCJKjp-Bold.otf")},
            QStringLiteral("Noto Sans CJK JP Bold"));
        return regular;
    }();
    QStringList families{QStringLiteral("DejaVu Sans")};
    if (registered) families << reportJapaneseFamily();
    return families << QStringLiteral("Noto Sans CJK JP") << QStringLiteral("Noto Sans JP")
                    << QStringLiteral("IPAexGothic");
}

} // namespace vev
