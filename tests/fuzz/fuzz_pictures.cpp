// Fuzzes the picture loader: only known formats decode, never past the size cap or the memory bound.

#include "fuzzcheck.h"
#include "platform/pictures.h"

using namespace tickora;
using tickora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool limited = (limitImageAllocation(), true);
    (void)limited;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool acceptable = isAcceptablePicture(bytes);
    const QImage image = decodePicture(bytes);
    check(!pictureFormat(bytes).isEmpty() || !acceptable, "only JPEG, GIF, PNG and BMP are accepted");
    check(acceptable || image.isNull(), "a refused picture is never decoded");
    check(image.width() <= MaxPictureSide && image.height() <= MaxPictureSide, "no picture beyond the cap");
    return 0;
}
