#include "picture/wic_reader_win.h"

#include <windows.h>
#include <wincodec.h>

#include "picture/exif_orientation.h"
#include "picture/orient.h"
#include "platform/late_bound.h"

namespace mx {

namespace {

ComPtr<IWICImagingFactory> MakeFactory() {
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(late::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void())))
        factory.reset();
    return factory;
}

// Whether the frame's own pixel format can hold transparent pixels; when the system cannot say, it is
// assumed that it can, and the pixels decide.
bool MayBeTransparent(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame) {
    WICPixelFormatGUID format{};
    ComPtr<IWICComponentInfo> info;
    ComPtr<IWICPixelFormatInfo2> formatInfo;
    BOOL transparent = TRUE;
    if (FAILED(frame->GetPixelFormat(&format)) || FAILED(factory->CreateComponentInfo(format, info.put())) ||
        FAILED(info->QueryInterface(IID_IWICPixelFormatInfo2, formatInfo.put_void())) ||
        FAILED(formatInfo->SupportsTransparency(&transparent)))
        return true;
    return transparent != FALSE;
}

// The orientation the decoder reports: the system's photo property where the decoder maps it, else
// the EXIF tag where JPEG and TIFF decoders keep it; for a TIFF-structured file whose decoder reports
// nothing, the file's own tag.
int ReportedOrientation(IWICBitmapFrameDecode* frame, std::span<const uint8_t> bytes) {
    ComPtr<IWICMetadataQueryReader> reader;
    if (SUCCEEDED(frame->GetMetadataQueryReader(reader.put()))) {
        for (const wchar_t* query : {L"System.Photo.Orientation", L"/app1/ifd/{ushort=274}", L"/ifd/{ushort=274}"}) {
            PROPVARIANT value;
            ::PropVariantInit(&value);
            int orientation = 0;
            if (SUCCEEDED(reader->GetMetadataByName(query, &value)) && value.vt == VT_UI2) orientation = value.uiVal;
            late::PropVariantClear(&value);
            if (orientation != 0) return orientation;
        }
    }
    return TiffOrientation(bytes);
}

ReadResult Decode(std::span<const uint8_t> bytes, Picture& out) {
    if (bytes.empty() || bytes.size() > MAXDWORD) return ReadResult::Malformed;
    ComPtr<IWICImagingFactory> factory = MakeFactory();
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (!factory || FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), DWORD(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())))
        return ReadResult::Malformed;
    UINT width = 0, height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0) return ReadResult::Malformed;
    if (!PictureSizeAllowed(width, height, 32)) return ReadResult::TooLarge;

    const bool transparent = MayBeTransparent(factory.get(), frame.get());
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), transparent ? GUID_WICPixelFormat32bppBGRA : GUID_WICPixelFormat24bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return ReadResult::Malformed;
    Picture pic;
    pic.width = int(width);
    pic.height = int(height);
    pic.bitsPerPixel = transparent ? 32 : 24;
    pic.format = transparent ? PixelFormat::Bits32 : PixelFormat::Bits24;
    if (transparent) pic.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    pic.pixels.resize(pic.Stride() * size_t(height));
    if (FAILED(converter->CopyPixels(nullptr, UINT(pic.Stride()), UINT(pic.pixels.size()), pic.pixels.data())))
        return ReadResult::Malformed;
    if (transparent) {
        for (size_t i = 3; i < pic.pixels.size() && !pic.alpha; i += 4) pic.alpha = pic.pixels[i] != 255;
    }
    TurnUpright(pic, ReportedOrientation(frame.get(), bytes));
    out = std::move(pic);
    return ReadResult::Ok;
}

}  // namespace

ReadResult ReadWithWic(std::span<const uint8_t> bytes, Picture& target) {
    ComScope com;
    if (!com.Usable()) return ReadResult::Malformed;
    return Decode(bytes, target);
}

std::vector<std::string> WicFileExtensions() {
    std::vector<std::string> extensions;
    ComScope com;
    ComPtr<IWICImagingFactory> factory = com.Usable() ? MakeFactory() : ComPtr<IWICImagingFactory>();
    ComPtr<IEnumUnknown> codecs;
    if (!factory || FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, codecs.put())))
        return extensions;
    ComPtr<IUnknown> item;
    ULONG fetched = 0;
    while (codecs->Next(1, item.put(), &fetched) == S_OK && fetched == 1) {
        ComPtr<IWICBitmapCodecInfo> codec;
        UINT length = 0;
        if (FAILED(item->QueryInterface(IID_IWICBitmapCodecInfo, codec.put_void())) ||
            FAILED(codec->GetFileExtensions(0, nullptr, &length)) || length == 0)
            continue;
        std::wstring text(length, L'\0');
        if (FAILED(codec->GetFileExtensions(length, text.data(), &length))) continue;
        text.resize(std::min<size_t>(length, text.size()));
        // ".tiff,.tif" (Wine separates them with ";"): each extension as it is written, ASCII only,
        // folded to lower case.
        std::string extension;
        bool plain = true;
        for (size_t i = 0; i <= text.size(); ++i) {
            const wchar_t c = i < text.size() ? text[i] : L',';
            if (c == L',' || c == L';' || c == L'\0') {
                if (plain && !extension.empty()) extensions.push_back(extension);
                extension.clear();
                plain = true;
                if (c == L'\0') break;
            } else if (c < 0x80) {
                extension += char(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
            } else {
                plain = false;
            }
        }
    }
    return extensions;
}

namespace {
ReadResult ReadInOwnProcess(std::span<const uint8_t> bytes, Picture& target) { return DecodeInOwnProcess(bytes, target); }
}  // namespace

SystemImaging::SystemImaging(DecodingProcessOptions options)
    : previous_(SetSystemDecoder(ReadInOwnProcess)), previousOptions_(SetDecodingProcessOptions(std::move(options))) {}

SystemImaging::~SystemImaging() {
    SetSystemDecoder(previous_);
    SetDecodingProcessOptions(std::move(previousOptions_));
}

}  // namespace mx
