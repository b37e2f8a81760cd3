#include "mobi/PalmDoc.h"

namespace mobi {

QByteArray PalmDoc::decompress(const QByteArray& input, int maxOutput)
{
    QByteArray out;
    out.reserve(qMin(8192, maxOutput));
    const auto* in = reinterpret_cast<const uchar*>(input.constData());
    const int size = input.size();
    int i = 0;
    while (i < size && out.size() < maxOutput) {
        const uchar b = in[i++];
        if (b == 0x00 || (b >= 0x09 && b <= 0x7F)) {
            out.append(char(b));
        } else if (b <= 0x08) {
            if (size - i < b)
                break;
            out.append(reinterpret_cast<const char*>(in + i), b);
            i += b;
        } else if (b >= 0xC0) {
            out.append(' ');
            out.append(char(b ^ 0x80));
        } else {
            if (i >= size)
                break;
            const int v = (b << 8) | in[i++];
            const int distance = (v >> 3) & 0x7FF;
            const int length = (v & 7) + 3;
            const int source = out.size() - distance;
            if (distance == 0 || source < 0)
                break;
            // One byte at a time: an overlapping copy repeats what it has
            // just written.
            for (int k = 0; k < length; ++k)
                out.append(out.at(source + k));
        }
    }
    if (out.size() > maxOutput)
        out.truncate(maxOutput);
    return out;
}

} // namespace mobi
