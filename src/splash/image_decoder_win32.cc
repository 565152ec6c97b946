#include "splash/image_decoder_win32.h"

#include <windows.h>
#include <wincodec.h>

#include "os/text.h"

namespace tarn {

namespace {

// Releases a COM interface when it goes.
template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

bool failed(HRESULT result, const char* step, std::string* error) {
  if (SUCCEEDED(result)) return false;
  *error = std::string(step) + " failed (0x" + hexDigits(static_cast<uint32_t>(result), 8) + ")";
  return true;
}

}  // namespace

bool decodeImage(const unsigned char* bytes, size_t size, uint32_t width, uint32_t height,
                 DecodedImage* image, std::string* error) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapScaler> scaler;
  ComPtr<IWICFormatConverter> converter;
  if (failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.out())),
             "the imaging component", error) ||
      failed(factory->CreateStream(stream.out()), "a stream", error) ||
      failed(stream->InitializeFromMemory(const_cast<BYTE*>(bytes), static_cast<DWORD>(size)),
             "a stream", error) ||
      failed(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.out()),
             "finding a decoder", error) ||
      failed(decoder->GetFrame(0, frame.out()), "decoding", error))
    return false;
  // Premultiplied before scaling, so that no colour of a transparent pixel
  // bleeds into its neighbours.
  if (failed(factory->CreateFormatConverter(converter.out()), "converting", error) ||
      failed(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                   nullptr, 0.0, WICBitmapPaletteTypeCustom),
             "converting", error))
    return false;
  UINT frameWidth = 0, frameHeight = 0;
  if (failed(frame->GetSize(&frameWidth, &frameHeight), "decoding", error)) return false;
  IWICBitmapSource* source = converter.p;
  if (frameWidth != width || frameHeight != height) {
    if (failed(factory->CreateBitmapScaler(scaler.out()), "scaling", error) ||
        failed(scaler->Initialize(converter.p, width, height, WICBitmapInterpolationModeFant),
               "scaling", error))
      return false;
    source = scaler.p;
  }
  image->width = width;
  image->height = height;
  image->pixels.assign(static_cast<size_t>(width) * height * 4, 0);
  return !failed(source->CopyPixels(nullptr, width * 4, static_cast<UINT>(image->pixels.size()),
                                    image->pixels.data()),
                 "decoding", error);
}

}  // namespace tarn
