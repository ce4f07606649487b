#include "services/local/SpeechModelCatalogue.h"

namespace {

// The checksums belong to this revision; "main" could move under them.
constexpr char repository[] =
    "https://huggingface.co/ggerganov/whisper.cpp/resolve/"
    "5359861c739e955e79d9a303bcbc70fb988958b1/";

}  // namespace

const QList<SpeechModelCatalogue::Entry>& SpeechModelCatalogue::entries() {
    static const QList<Entry> list{
        {QStringLiteral("tiny.en"), 77'704'715,
         "921e4cf8686fdd993dcd081a5da5b6c365bfde1162e72b08d75ac75289920b1f", false},
        {QStringLiteral("base.en"), 147'964'211,
         "a03779c86df3323075f5e796cb2ce5029f00ec8869eee3fdfb897afe36c6d002", false},
        {QStringLiteral("small.en"), 487'614'201,
         "c6138d6d58ecc8322097e0f987c32f1be8bb0a18532a3f88f734d1bbf9c41e5d", false},
        {QStringLiteral("tiny"), 77'691'713,
         "be07e048e1e599ad46341c8d2a135645097a538221678b7acdd1b1919c6e1b21", true},
        {QStringLiteral("base"), 147'951'465,
         "60ed5bc3dd14eea856493d334349b405782ddcaf0028d4b5df4088345fba2efe", true},
        {QStringLiteral("small"), 487'601'967,
         "1be3a9b2063867b937e64e2ec7483364a79917e157fa98c5d94b5c1fffea987b", true},
        {QStringLiteral("large-v3-turbo-q5_0"), 574'041'195,
         "394221709cd5ad1f40c46e6031ca61bce88931e6e088c188294c6d5a55ffa7e2", true},
    };
    return list;
}

std::optional<SpeechModelCatalogue::Entry> SpeechModelCatalogue::find(const QString& name) {
    for (const Entry& entry : entries()) {
        if (entry.name == name) {
            return entry;
        }
    }
    return std::nullopt;
}

QUrl SpeechModelCatalogue::url(const Entry& entry) {
    return QUrl(QLatin1String(repository) + QStringLiteral("ggml-") + entry.name +
                QStringLiteral(".bin"));
}
