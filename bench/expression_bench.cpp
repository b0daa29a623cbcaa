// Cost of evaluating filters and index keys over a million in-memory records: the part of a
// filtered count that is the expression's own, without file reading.

#include "xbase/expression.h"

#include <cstring>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

namespace {

using namespace xbase;

constexpr int kRecords = 1'000'000;

TRecordLayout ResponseLayout()
{
    TRecordLayout layout;
    for (TFieldDef field :
        std::initializer_list<TFieldDef>{{"REMOTEIP", 'C', 25}, {"DATERCVD", 'C', 14}, {"ORV12", 'C', 3},
            {"ORV15", 'N', 5}, {"ORV15_2", 'C', 1}, {"ORV20", 'C', 60}, {"PARENTID", 'I', 4}}) {
        field.Offset = layout.RecordLength;
        layout.RecordLength += field.Width;
        layout.Fields.push_back(field);
    }
    return layout;
}

// Records one after another, as a table file holds them.
const std::string& Records(const TRecordLayout& layout)
{
    static const std::string records = [&] {
        std::mt19937 random(7);
        const size_t length = size_t(layout.RecordLength);
        std::string bytes(length * kRecords, ' ');
        const auto at = [&](int record, const char* name) {
            return &bytes[size_t(record) * length
                + size_t(layout.Fields[size_t(layout.FieldIndex(name))].Offset)];
        };
        for (int r = 0; r < kRecords; ++r) {
            const std::string choice = std::to_string(random() % 12);
            std::memcpy(at(r, "ORV12"), choice.data(), choice.size());
            const std::string number = std::to_string(int(random() % 11) - 1);
            std::memcpy(at(r, "ORV15") + 5 - number.size(), number.data(), number.size());
            *at(r, "ORV15_2") = random() % 2 ? 'Y' : 'N';
            const char* text = random() % 3 ? "the answer was abc, mostly" : "Nothing To Say";
            std::memcpy(at(r, "ORV20"), text, std::strlen(text));
            const std::int32_t parent = std::int32_t(random() % 100);
            std::memcpy(at(r, "PARENTID"), &parent, 4);
        }
        return bytes;
    }();
    return records;
}

void CountPassing(benchmark::State& state, const char* text)
{
    const TRecordLayout layout = ResponseLayout();
    const std::string& records = Records(layout);
    QString error;
    const auto expression = TExpression::Compile(QString::fromLatin1(text), layout, &error);
    if (!expression) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    const size_t length = size_t(layout.RecordLength);
    for (auto _ : state) {
        int passing = 0;
        TRecordContext ctx;
        for (size_t r = 0; r < kRecords; ++r) {
            ctx.Record = std::string_view(records.data() + r * length, length);
            passing += expression->IsTrue(ctx);
        }
        benchmark::DoNotOptimize(passing);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BuildKeys(benchmark::State& state, const char* text)
{
    const TRecordLayout layout = ResponseLayout();
    const std::string& records = Records(layout);
    QString error;
    const auto expression = TExpression::Compile(QString::fromLatin1(text), layout, &error);
    const size_t length = size_t(layout.RecordLength);
    for (auto _ : state) {
        size_t bytes = 0;
        TRecordContext ctx;
        for (size_t r = 0; r < kRecords; ++r) {
            ctx.Record = std::string_view(records.data() + r * length, length);
            bytes += size_t(expression->Evaluate(ctx).text.size());
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ChoiceAndNumberFilter(benchmark::State& state)
{
    CountPassing(state, "ORV12 = '3' .AND. ORV15 > 4");
}
BENCHMARK(BM_ChoiceAndNumberFilter)->Unit(benchmark::kMillisecond);

void BM_JoinedFilterOfFourConditions(benchmark::State& state)
{
    CountPassing(state, "ORV12<>\"3\" .AND. ORV15_2=\"Y\" .AND. ORV15>-3 .AND. .NOT. EMPTY( ORV20)");
}
BENCHMARK(BM_JoinedFilterOfFourConditions)->Unit(benchmark::kMillisecond);

void BM_TextSearchFilter(benchmark::State& state)
{
    CountPassing(state, "RAT( \"ABC\", UPPER( ORV20) ) > 0");
}
BENCHMARK(BM_TextSearchFilter)->Unit(benchmark::kMillisecond);

void BM_CompositeIndexKey(benchmark::State& state)
{
    BuildKeys(state, "STR(parentid)+ORV12+LOWER(ORV20)");
}
BENCHMARK(BM_CompositeIndexKey)->Unit(benchmark::kMillisecond);

void BM_Compile(benchmark::State& state)
{
    const TRecordLayout layout = ResponseLayout();
    QString error;
    for (auto _ : state)
        benchmark::DoNotOptimize(TExpression::Compile(
            QStringLiteral("ORV12=\"3\" .AND. ORV15>4 .AND. RAT( \"ABC\", UPPER( ORV20 ) ) = 0"), layout,
            &error));
}
BENCHMARK(BM_Compile);

} // namespace

BENCHMARK_MAIN();
