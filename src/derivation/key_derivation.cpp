#include "derivation/key_derivation.h"

#include <cstring>

namespace {

Bytes LabelBytes(const char* label) {
    return Bytes(label, label + std::strlen(label));
}

}  // namespace

std::uint64_t MaterialSize(std::int32_t length) {
    return 4 * static_cast<std::uint64_t>(static_cast<std::int64_t>(length)) + 512;
}

Bytes HkdfExpand(const Bytes& pseudorandomKey, const Bytes& info, std::uint64_t length) {
    if (length > kHkdfMaxOutput) {
        ReportCryptoFailure();
        return Bytes(static_cast<std::size_t>(length), 0);
    }
    const std::uint64_t blockCount = (length + kSha256Size - 1) / kSha256Size;
    Bytes output;
    output.reserve(static_cast<std::size_t>(blockCount * kSha256Size));
    Bytes previous;
    for (std::uint64_t i = 1; i <= blockCount; ++i) {
        Bytes input;
        input.reserve(previous.size() + info.size() + 1);
        input.insert(input.end(), previous.begin(), previous.end());
        input.insert(input.end(), info.begin(), info.end());
        input.push_back(static_cast<std::uint8_t>(i));
        previous = HmacSha256(pseudorandomKey.data(), pseudorandomKey.size(), input.data(),
                              input.size());
        output.insert(output.end(), previous.begin(), previous.end());
        SecureWipeContents(input);
    }
    // The last block is cut to fit; wipe the cut bytes too, since the caller
    // wipes only what it can see. The blocks before it are all in the output,
    // but the last one also holds the cut bytes.
    SecureWipeContents(previous);
    const auto size = static_cast<std::size_t>(length);
    if (output.size() > size) SecureWipe(output.data() + size, output.size() - size);
    output.resize(size, 0);
    return output;
}

Bytes DeriveMaterial(const Bytes& keyword1, const Bytes& keyword2, std::int32_t length) {
    Bytes secret;
    secret.reserve(keyword1.size() + 1 + keyword2.size());
    secret.insert(secret.end(), keyword1.begin(), keyword1.end());
    secret.push_back(0);
    secret.insert(secret.end(), keyword2.begin(), keyword2.end());

    const Bytes saltLabel = LabelBytes(kSaltLabel);
    const Bytes salt = Sha256Digest(saltLabel.data(), saltLabel.size());

    Bytes stretchedKey =
        Pbkdf2Sha256(secret.data(), static_cast<std::uint32_t>(secret.size()), salt.data(),
                     salt.size(), kPbkdf2Iterations, kStretchedKeySize);
    SecureWipeContents(secret);

    const Bytes extractLabel = LabelBytes(kExtractLabel);
    Bytes pseudorandomKey = HmacSha256(extractLabel.data(), extractLabel.size(),
                                       stretchedKey.data(), stretchedKey.size());
    SecureWipeContents(stretchedKey);

    Bytes material = HkdfExpand(pseudorandomKey, LabelBytes(kMaterialLabel), MaterialSize(length));
    SecureWipeContents(pseudorandomKey);
    return material;
}
