// XML tree: parse and compact write of generated product files, ours and
// pugixml on the same bytes in the same run.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>

#include "benchdata.h"
#include "benchreport.h"
#include "foundation/korbuffer.h"
#include "foundation/xml/korxml.h"

namespace {

constexpr int kSizesMB[] = {1, 10, 50};

// Parses text into a new document node; null on a parse error.
std::unique_ptr<KorXML_c> ParseOurs(const std::string& text) {
  auto doc = std::make_unique<KorXML_c>(KOR_XML_DOCUMENT);
  KorBuffer_c buffer;
  buffer.Attach(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
  if (doc->Parse(&buffer) < 0) return nullptr;
  return doc;
}

// Writes the tree the way the document's save does: measure, size the
// buffer exactly, write one line.
int32_t WriteOurs(const KorXML_c& doc, KorBuffer_c* out) {
  out->Resize(0);
  int32_t size = doc.Measure(0, false);
  if (size < 0 || out->SizeForWriting(size) != KOR_OK) return KOR_FAIL;
  return doc.Write(out, 0, false);
}

class PugiStringWriter_c : public pugi::xml_writer {
 public:
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
  std::string text;
};

constexpr unsigned kPugiParse = pugi::parse_default | pugi::parse_declaration;

// Times parse(text, &error), which returns the tree (null on an error) for
// one parser; destroying the tree is not timed.
template <class Parse>
void ParseBench(benchmark::State& state, int mb, Parse parse) {
  const std::string& text = BenchProductOfSize(mb);
  for (auto _ : state) {
    std::string error;
    auto doc = parse(text, &error);
    if (!doc) {
      state.SkipWithError(error.c_str());
      break;
    }
    benchmark::DoNotOptimize(doc.get());
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void ParseOursBench(benchmark::State& state, int mb) {
  ParseBench(state, mb, [](const std::string& text, std::string* error) {
    std::unique_ptr<KorXML_c> doc = ParseOurs(text);
    if (!doc) *error = "parse error";
    return doc;
  });
}

void ParsePugiBench(benchmark::State& state, int mb) {
  ParseBench(state, mb, [](const std::string& text, std::string* error) {
    auto doc = std::make_unique<pugi::xml_document>();
    pugi::xml_parse_result result =
        doc->load_buffer(text.data(), text.size(), kPugiParse, pugi::encoding_utf8);
    if (!result) {
      *error = result.description();
      doc.reset();
    }
    return doc;
  });
}

void WriteOursBench(benchmark::State& state, int mb) {
  const std::string& text = BenchProductOfSize(mb);
  std::unique_ptr<KorXML_c> doc = ParseOurs(text);
  if (!doc) {
    state.SkipWithError("parse error");
    return;
  }
  KorBuffer_c out;
  // The generator writes exactly what our writer writes, so parse + write
  // must give the input back.
  int32_t written = WriteOurs(*doc, &out);
  std::string_view again = out.View();
  if (written != static_cast<int32_t>(text.size()) || again != text) {
    size_t at = 0;
    while (at < again.size() && at < text.size() && again[at] == text[at]) ++at;
    BenchNote("xml:roundtrip" + std::to_string(mb), "Round trip of the " + std::to_string(mb) +
                                                        " MiB file: the write differs from the "
                                                        "input at byte " +
                                                        std::to_string(at) + " (written " +
                                                        std::to_string(written) + " bytes, input " +
                                                        std::to_string(text.size()) + ").");
  } else {
    BenchNote("xml:roundtrip" + std::to_string(mb), "Round trip of the " + std::to_string(mb) +
                                                        " MiB file: parse + write gives the "
                                                        "input back byte for byte.");
  }
  int64_t bytes = 0;
  for (auto _ : state) {
    written = WriteOurs(*doc, &out);
    if (written < 0) {
      state.SkipWithError("write failed");
      break;
    }
    bytes += written;
    benchmark::DoNotOptimize(out.Data());
  }
  state.SetBytesProcessed(bytes);
}

void WritePugiBench(benchmark::State& state, int mb) {
  const std::string& text = BenchProductOfSize(mb);
  pugi::xml_document doc;
  if (!doc.load_buffer(text.data(), text.size(), kPugiParse, pugi::encoding_utf8)) {
    state.SkipWithError("pugixml parse error");
    return;
  }
  int64_t bytes = 0;
  for (auto _ : state) {
    PugiStringWriter_c writer;
    writer.text.reserve(text.size());
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    bytes += static_cast<int64_t>(writer.text.size());
    benchmark::DoNotOptimize(writer.text.data());
  }
  state.SetBytesProcessed(bytes);
}

}  // namespace

void RegisterXMLBenchmarks() {
  for (int mb : kSizesMB) {
    std::string size = std::to_string(mb) + "MB";
    benchmark::RegisterBenchmark(("XML/parse/ours/" + size).c_str(), ParseOursBench, mb)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("XML/parse/pugixml/" + size).c_str(), ParsePugiBench, mb)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("XML/write/ours/" + size).c_str(), WriteOursBench, mb)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("XML/write/pugixml/" + size).c_str(), WritePugiBench, mb)
        ->Unit(benchmark::kMillisecond);
  }
}
