#include <unicode/coll.h>
#include <unicode/ucasemap.h>
#include <unicode/ucol.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/usetiter.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <mutex>

#include "platform/posix/icu_text_ordering.h"

namespace tavrel {
namespace {

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// UTF-16 for the collator, in a buffer the caller keeps from path to path; a
// byte that is no valid UTF-8 becomes U+FFFD.
void LenientUtf16(std::string_view text, std::u16string& result) {
    result.clear();
    if (IsAscii(text)) {
        result.assign(text.begin(), text.end());
        return;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t pos = 0; pos < length;) {
        UChar32 c;
        U8_NEXT(bytes, pos, length, c);
        if (c < 0) c = 0xFFFD;
        if (c <= 0xFFFF) {
            result += static_cast<char16_t>(c);
        } else {
            result += static_cast<char16_t>(U16_LEAD(c));
            result += static_cast<char16_t>(U16_TRAIL(c));
        }
    }
}

class IcuTextOrdering final : public TextOrdering {
public:
    explicit IcuTextOrdering(const std::string& locale_name) {
        UErrorCode status = U_ZERO_ERROR;
        const std::string id = IcuLocaleId(locale_name);
        collator_.reset(icu::Collator::createInstance(
            id.empty() ? icu::Locale::getRoot() : icu::Locale(id.c_str()), status));
        if (U_FAILURE(status) || !collator_) {
            status = U_ZERO_ERROR;
            collator_.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
        }
        if (collator_) collator_->setStrength(icu::Collator::SECONDARY);
    }

    bool OrdersTailsFromSlash() const override {
        // Listing the collation's contractions takes milliseconds: done only
        // when a big batch first asks, never for a run on a few files.
        std::call_once(tails_checked_,
                       [this] { tails_from_slash_ = collator_ && NothingReachesAcrossSlash(); });
        return tails_from_slash_;
    }

    std::string FoldKey(std::string_view path) const override {
        std::string key;
        key.reserve(path.size());
        if (IsAscii(path)) {
            for (char c : path) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
            return key;
        }
        // Fold each valid stretch; copy bytes that are no valid UTF-8 unchanged.
        const auto* bytes = reinterpret_cast<const uint8_t*>(path.data());
        const auto length = static_cast<int32_t>(path.size());
        for (int32_t pos = 0; pos < length;) {
            const int32_t start = pos;
            UChar32 c;
            U8_NEXT(bytes, pos, length, c);
            if (c < 0) {
                key.append(path.substr(start, pos - start));
                continue;
            }
            icu::UnicodeString folded(c);
            folded.foldCase(U_FOLD_CASE_DEFAULT);
            folded.toUTF8String(key);
        }
        return key;
    }

    std::string SortKey(std::string_view path) const override {
        std::string key;
        AppendSortKey(path, key);
        return key;
    }

    void AppendSortKey(std::string_view path, std::string& out) const override {
        if (!collator_) {
            out.append(path);
            return;
        }
        // The collator's const methods may run on several threads at once; the
        // UTF-16 buffer is each thread's own.
        thread_local std::u16string text;
        LenientUtf16(path, text);
        const auto start = out.size();
        out.resize(start + text.size() * 4 + 16);
        for (;;) {
            const auto room = static_cast<int32_t>(out.size() - start);
            const int32_t needed =
                collator_->getSortKey(text.data(), static_cast<int32_t>(text.size()),
                                      reinterpret_cast<uint8_t*>(out.data() + start), room);
            if (needed <= room) {
                // The key ends in a 0 byte, which sorts nothing.
                out.resize(start + (needed > 0 ? static_cast<std::size_t>(needed - 1) : 0));
                return;
            }
            out.resize(start + static_cast<std::size_t>(needed));
        }
    }

private:
    // The collation's contractions and prefix contexts hold no "/", and the
    // secondary level is not compared backwards (French accent order).
    bool NothingReachesAcrossSlash() const {
        UErrorCode status = U_ZERO_ERROR;
        if (collator_->getAttribute(UCOL_FRENCH_COLLATION, status) != UCOL_OFF || U_FAILURE(status))
            return false;
        icu::UnicodeSet contractions;
        ucol_getContractionsAndExpansions(collator_->toUCollator(), contractions.toUSet(), nullptr,
                                          /*addPrefixes=*/true, &status);
        if (U_FAILURE(status)) return false;
        for (icu::UnicodeSetIterator it(contractions); it.next();) {
            if (it.isString() ? it.getString().indexOf(u'/') >= 0 : it.getCodepoint() == u'/')
                return false;
        }
        return true;
    }

    std::unique_ptr<icu::Collator> collator_;
    mutable std::once_flag tails_checked_;
    mutable bool tails_from_slash_ = false;
};

}  // namespace

std::string IcuLocaleId(const std::string& posix_locale_name) {
    std::string name = posix_locale_name;
    name = name.substr(0, name.find('@'));
    name = name.substr(0, name.find('.'));
    if (name.empty() || name == "C" || name == "POSIX") return {};
    return name;
}

std::unique_ptr<TextOrdering> MakeIcuTextOrdering(const std::string& locale_name) {
    return std::make_unique<IcuTextOrdering>(locale_name);
}

}  // namespace tavrel
