// MPEG audio decoding on libmpg123 in feed mode, output fixed to 16-bit
// signed samples at the stream's own rate and channel count.
#include "platform/mp3_decoder.h"

#include <mpg123.h>

#include <mutex>

namespace platform {

namespace {

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

mpg123_handle* NewHandle(std::string& error) {
    InitLibraryOnce();
    int result = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &result);
    if (!handle) {
        error = std::string("MP3 decoder: ") + mpg123_plain_strerror(result);
        return nullptr;
    }
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    // Every rate, mono or stereo, always 16-bit signed: no resampling here.
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(handle) != MPG123_OK) {
        error = std::string("MP3 decoder: ") + mpg123_strerror(handle);
        mpg123_delete(handle);
        return nullptr;
    }
    return handle;
}

} // namespace

struct Mp3Decoder::Impl {
    mpg123_handle* handle = nullptr;
    int sampleRate = 0;
    int channels = 0;

    void Release() {
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
            handle = nullptr;
        }
        sampleRate = channels = 0;
    }
    void ReadFormat() {
        long rate = 0;
        int ch = 0, encoding = 0;
        if (mpg123_getformat(handle, &rate, &ch, &encoding) == MPG123_OK) {
            sampleRate = static_cast<int>(rate);
            channels = ch;
        }
    }
};

Mp3Decoder::Mp3Decoder() : impl_(std::make_unique<Impl>()) {}

Mp3Decoder::~Mp3Decoder() {
    impl_->Release();
}

bool Mp3Decoder::Reset(std::string& error) {
    impl_->Release();
    impl_->handle = NewHandle(error);
    return impl_->handle != nullptr;
}

bool Mp3Decoder::Feed(const uint8_t* data, size_t size) {
    if (!impl_->handle) return false;
    return size == 0 || mpg123_feed(impl_->handle, data, size) == MPG123_OK;
}

Mp3Decoder::Status Mp3Decoder::Decode(uint8_t* out, size_t room, size_t& produced) {
    produced = 0;
    if (!impl_->handle) return Status::Failed;
    for (int calls = 0; calls < 64; ++calls) {
        // Never split a sample frame: room is cut to whole stereo frames
        // (which are also whole mono frames).
        const size_t usable = (room - produced) & ~static_cast<size_t>(3);
        if (usable == 0) return Status::Ok;
        size_t done = 0;
        const int result = mpg123_decode(impl_->handle, nullptr, 0, out + produced, usable, &done);
        produced += done;
        if (result == MPG123_NEW_FORMAT) {
            impl_->ReadFormat();
            continue;
        }
        if (result == MPG123_NEED_MORE || result == MPG123_DONE)
            return produced ? Status::Ok : Status::NeedMore;
        if (result != MPG123_OK) return produced ? Status::Ok : Status::Failed;
        if (produced > 0) return Status::Ok;
    }
    return produced ? Status::Ok : Status::Failed;
}

bool Mp3Decoder::Format(int& sampleRate, int& channels) const {
    if (impl_->channels <= 0) return false;
    sampleRate = impl_->sampleRate;
    channels = impl_->channels;
    return true;
}

bool Mp3Decoder::Count(const uint8_t* data, size_t size, int& sampleRate, int& channels,
                       uint64_t& frames, std::string& error) {
    sampleRate = channels = 0;
    frames = 0;
    mpg123_handle* handle = NewHandle(error);
    if (!handle) return false;
    bool ok = mpg123_feed(handle, data, size) == MPG123_OK;
    while (ok) {
        const int result = mpg123_framebyframe_next(handle);
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int encoding = 0;
            mpg123_getformat(handle, &rate, &channels, &encoding);
            sampleRate = static_cast<int>(rate);
        } else if (result != MPG123_OK) {
            break;
        }
        if (channels > 0) frames += static_cast<uint64_t>(mpg123_spf(handle));
    }
    mpg123_close(handle);
    mpg123_delete(handle);
    if (!ok || channels <= 0) {
        error = "no MPEG audio frames found";
        return false;
    }
    return true;
}

} // namespace platform
