#pragma once

// The Japanese font of the PDF report, made so that the PDF's text is the page's text.
//
// Qt's PDF writer tells a reader which character each glyph stands for by searching the font's
// character map from U+0000 up and taking the first character that gives the glyph. Noto Sans
// CJK gives one glyph to an ideograph and to the Kangxi radical that looks like it (足 and
// U+2F9C), to "・" and U+2027, to "　" and U+2003, so copied or extracted text would read the
// radical or the punctuation mark. The report therefore registers its own copy of Noto Sans CJK
// JP whose character map leaves out every such look-alike: each glyph is then reached only from
// the character that Shift-JIS text (decoded as windows-31j) uses.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vev {

// The font families of the report's text: DejaVu Sans for Latin letters and digits, then the
// copy of Noto Sans CJK JP (registered with Qt on the first call; needs a QGuiApplication),
// then the installed Japanese families in case no Noto Sans CJK file is found.
QStringList reportFontFamilies();

// The family name of that copy.
QString reportJapaneseFamily();

// The face named fullName ("Noto Sans CJK JP", "Noto Sans CJK JP Bold") of an OpenType file or
// collection as a font file of its own, renamed to family and with the look-alike characters
// taken out of its character map as described above. Empty when the face is not there or its
// tables are not understood.
QByteArray textFaithfulFace(const QByteArray& fontFile, const QString& fullName,
                            const QString& family);

} // namespace vev
