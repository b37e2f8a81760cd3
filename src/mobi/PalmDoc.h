#pragma once

#include <QByteArray>

namespace mobi {

/// PalmDOC (LZ77) decompression of one text record. Damaged input ends the
/// decoding early and keeps what was produced: a literal run longer than
/// what is left, a back-reference without its second byte or pointing before
/// the start of the output. Never reads outside `input`; the output stops
/// growing at `maxOutput` bytes. Any thread.
class PalmDoc
{
public:
    static QByteArray decompress(const QByteArray& input, int maxOutput);
};

} // namespace mobi
