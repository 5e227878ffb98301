#include "zorvel/widgets/images.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <string>

#include "zorvel/resources/resource.h"

namespace widgets {

namespace {

using Microsoft::WRL::ComPtr;

// An object of one of the component's classes, made the way COM would make it.
template <class T>
ComPtr<T> Make(const PictureCodec& codec, REFCLSID kind) {
    ComPtr<T> object;
    if (FAILED(codec.Create(kind, __uuidof(T), reinterpret_cast<void**>(object.GetAddressOf())))) return nullptr;
    return object;
}

// The decoded pixels as 32-bit blue-green-red-unused, whatever the stored
// format. (Wine converts indexed pictures to 32 bits but not to 24.)
ComPtr<IWICBitmapSource> DecodeToBgrx(const PictureCodec& codec, const void* data, std::size_t size) {
    ComPtr<IWICImagingFactory> factory = Make<IWICImagingFactory>(codec, CLSID_WICImagingFactory);
    ComPtr<IWICBitmapDecoder> decoder = Make<IWICBitmapDecoder>(codec, CLSID_WICPngDecoder);
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    // The stream only reads the bytes it is given.
    BYTE* bytes = static_cast<BYTE*>(const_cast<void*>(data));
    if (!factory || !decoder || FAILED(factory->CreateStream(&stream)) ||
        FAILED(stream->InitializeFromMemory(bytes, static_cast<DWORD>(size))) ||
        FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return nullptr;
    return converter;
}

}  // namespace

PictureCodec::PictureCodec() {
    // From the system folder by its full path, never from beside the program.
    std::wstring path(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    path.resize(length);
    path += L"\\windowscodecs.dll";
    module_ = LoadLibraryW(path.c_str());
}

PictureCodec::~PictureCodec() {
    if (module_) FreeLibrary(module_);
}

HRESULT PictureCodec::Create(REFCLSID kind, REFIID iid, void** object) const {
    *object = nullptr;
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get = module_ ? reinterpret_cast<GetClassObject>(
                             reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")))
                       : nullptr;
    ComPtr<IClassFactory> classes;
    if (!get || FAILED(get(kind, IID_PPV_ARGS(&classes)))) return E_FAIL;
    return classes->CreateInstance(nullptr, iid, object);
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        if (handle_) DeleteObject(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

Bitmap::~Bitmap() {
    if (handle_) DeleteObject(handle_);
}

Bitmap Bitmap::FromResource(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? FromPicture(data, SizeofResource(module, found)) : Bitmap();
}

Bitmap Bitmap::FromPicture(const void* data, std::size_t size) {
    if (!data || size == 0 || size > MAXDWORD) return Bitmap();
    const PictureCodec codec;  // declared first, so released after the objects it made
    ComPtr<IWICBitmapSource> source = DecodeToBgrx(codec, data, size);
    UINT width = 0, height = 0;
    if (!source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x7fff ||
        height > 0x7fff)
        return Bitmap();
    std::vector<BYTE> pixels(std::size_t{4} * width * height);
    if (FAILED(source->CopyPixels(nullptr, 4 * width, static_cast<UINT>(pixels.size()), pixels.data())))
        return Bitmap();

    // Bottom-up rows, as the bitmaps the system loads from resources have them.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap result(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!result || !bits) return Bitmap();
    const std::size_t stride = (width * 3 + 3) & ~3u;
    for (UINT y = 0; y < height; ++y) {
        const BYTE* from = pixels.data() + std::size_t{4} * width * y;
        BYTE* to = static_cast<BYTE*>(bits) + (height - 1 - y) * stride;
        for (UINT x = 0; x < width; ++x, from += 4, to += 3) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
    return result;
}

Bitmap Bitmap::FromResource(int id, Scale scale) {
    const int percent = PictureScalePercent(scale);
    const int offset = percent == 200 ? IDB_SCALED_200 : percent == 150 ? IDB_SCALED_150 : 0;
    if (offset) {
        Bitmap larger = FromResource(id + offset);
        if (larger) return larger;
    }
    return FromResource(id);
}

Bitmap Bitmap::FromFile(const wchar_t* path) {
    return Bitmap(static_cast<HBITMAP>(
        LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

SIZE Bitmap::Size() const {
    BITMAP info{};
    if (handle_) GetObjectW(handle_, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

COLORREF Bitmap::Pixel(int x, int y) const {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handle_);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

void StripList::AddSquareStrips(Bitmap bitmap) {
    const int height = bitmap ? static_cast<int>(bitmap.Size().cy) : 0;
    Add(std::move(bitmap), 4 * height);
}

void StripList::Add(Bitmap bitmap, int imageWidth) {
    if (!bitmap) return;
    SIZE size = bitmap.Size();
    if (imageWidth <= 0 || imageWidth > size.cx) imageWidth = size.cx;
    int index = static_cast<int>(bitmaps_.size());
    for (int x = 0; x + imageWidth <= size.cx; x += imageWidth)
        images_.push_back(Image{index, x, imageWidth, size.cy, bitmap.Pixel(x, size.cy - 1)});
    bitmaps_.push_back(std::move(bitmap));
}

int StripList::ImageWidth(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<std::size_t>(index)].width : 0;
}

int StripList::Height(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<std::size_t>(index)].height : 0;
}

void StripList::Draw(HDC dc, int index, int frame, int x, int y) const {
    if (index < 0 || index >= Count() || frame < 0 || frame > 3) return;
    const Image& image = images_[static_cast<std::size_t>(index)];
    int frameWidth = image.width / 4;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmaps_[static_cast<std::size_t>(image.bitmap)]);
    TransparentBlt(dc, x, y, frameWidth, image.height, source, image.x + frame * frameWidth, 0, frameWidth,
                   image.height, image.transparent);
    SelectObject(source, old);
    DeleteDC(source);
}

ImageList::~ImageList() {
    if (handle_) ImageList_Destroy(handle_);
}

bool ImageList::Load(const Bitmap& bitmap) {
    const int size = bitmap ? static_cast<int>(bitmap.Size().cy) : 0;
    return size > 0 && Load(bitmap, size, size);
}

int ImageList::ImageSize() const { return ImageExtent().cy; }

SIZE ImageList::ImageExtent() const {
    int width = 0, height = 0;
    if (handle_) ImageList_GetIconSize(handle_, &width, &height);
    return SIZE{width, height};
}

bool ImageList::Load(const Bitmap& bitmap, int width, int height) {
    if (handle_) ImageList_Destroy(handle_);
    handle_ = nullptr;
    if (!bitmap) return false;
    SIZE size = bitmap.Size();
    handle_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, size.cx / width, 0);
    if (!handle_) return false;
    // ImageList_AddMasked changes the bitmap it is given, so it gets a copy.
    HBITMAP copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ImageList_AddMasked(handle_, copy, bitmap.Pixel(0, size.cy - 1));
    DeleteObject(copy);
    return true;
}

}  // namespace widgets
