// The line view's painting: a full repaint of a 1920 × 1080 view must cost the same for a
// short and a huge document, and for short and very long lines elsewhere in it; a one-line scroll
// only the uncovered strip, also when a line of 200 MB is painted in it.
#include "document/XDTPtrList.h"
#include "view/XDTPtrView.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// An in-memory document of Lines lines whose entries point into one buffer of typical lines.
struct TBenchDoc {
    explicit TBenchDoc(int Lines) : TBenchDoc(Lines, 0, -1) {}
    // The same, and one line of Longest characters at the end.
    TBenchDoc(int Lines, int Longest) : TBenchDoc(Lines, Longest, Lines) {}
    // Lines typical lines, and one of Longest characters in front of line LongAt (none for -1).
    TBenchDoc(int Lines, int Longest, int LongAt) {
        static const int Fields[] = {8000, 3101, 3102, 3103, 8410, 8411, 8420, 8421, 8480, 8434, 3110, 9106};
        const int Distinct = 997;
        std::vector<std::pair<size_t, int>> Spans;
        for (int I = 0; I < Distinct; ++I) {
            const size_t Start = Buffer.size();
            const int Len = 4 + (I * 37) % 60;
            for (int K = 0; K < Len; ++K) Buffer.push_back(char('A' + (I + K) % 26 + ((K % 3) ? 32 : 0)));
            Spans.emplace_back(Start, Len);
        }
        if (LongAt >= 0) Long.assign(size_t(Longest), 'x');
        List.BeginUpdate();
        for (int I = 0; I <= Lines; ++I) {
            if (I == LongAt) List.Add(3101, Long.data(), Longest);
            if (I == Lines) break;
            const auto& [Start, Len] = Spans[size_t(I % Distinct)];
            const int FeldArt = Fields[size_t(I % 12)] == 9106 ? 3000 : Fields[size_t(I % 12)];
            List.Add(FeldArt, Buffer.data() + Start, Len);
        }
        List.EndUpdate();
    }
    std::string Buffer, Long;
    TXDTPtrList List;
};

TBenchDoc& Doc(int Lines) {
    static std::map<int, std::unique_ptr<TBenchDoc>> Docs;
    auto& D = Docs[Lines];
    if (!D) D = std::make_unique<TBenchDoc>(Lines);
    return *D;
}

std::unique_ptr<TXDTPtrView> MakeView(TXDTPtrList& List, int Top) {
    std::unique_ptr<TXDTPtrView> View(CreateLineView(nullptr));
    View->SetShowComments(true);
    View->SetShowFeldArtName(true);
    View->show();
    View->resize(View->size() + (QSize(1920, 1080) - View->viewport()->size()));
    View->SetPtrList(&List);
    TXDTSearchRec R;
    R.SearchMode = smFeld;
    R.SearchText = "ab";
    View->SetSearchRec(R);
    View->SetTopLine(Top);
    QApplication::processEvents();
    return View;
}

std::unique_ptr<TXDTPtrView> MakeView(int Lines) {
    return MakeView(Doc(Lines).List, Lines / 2);
}

void BM_FullRepaint(benchmark::State& State) {
    const int Lines = int(State.range(0));
    auto View = MakeView(Lines);
    for (auto _ : State) View->viewport()->repaint();
    State.counters["rows"] = View->VisibleLines();
}
BENCHMARK(BM_FullRepaint)->Arg(10)->Arg(1000)->Arg(10000000)->Unit(benchmark::kMillisecond);

// The rows shown are short; the longest line, far below them, sets only the width of the columns.
void BM_FullRepaintLongestLine(benchmark::State& State) {
    static TBenchDoc D(1000, 20000000);
    auto View = MakeView(D.List, 100);
    for (auto _ : State) View->viewport()->repaint();
}
BENCHMARK(BM_FullRepaintLongestLine)->Unit(benchmark::kMillisecond);

void BM_ScrollOneLine(benchmark::State& State) {
    const int Lines = int(State.range(0));
    auto View = MakeView(Lines);
    int Step = 1;
    for (auto _ : State) {
        View->SetTopLine(View->TopLine() + Step);
        Step = -Step;
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ScrollOneLine)->Arg(1000)->Arg(10000000)->Unit(benchmark::kMicrosecond);

// The same scroll over 2,001 lines, the one at the view's top (painted again at every second step)
// either a typical line (argument 0) or one of 200 MB: the cost is that of the visible cells.
void BM_ScrollOneLineBesideLongLine(benchmark::State& State) {
    const int Longest = int(State.range(0));
    static std::map<int, std::unique_ptr<TBenchDoc>> Docs;
    auto& D = Docs[Longest];
    if (!D)
        D = Longest > 0 ? std::make_unique<TBenchDoc>(2000, Longest, 1000)
                        : std::make_unique<TBenchDoc>(2001);
    auto View = MakeView(D->List, 1000);
    int Step = 1;
    for (auto _ : State) {
        View->SetTopLine(View->TopLine() + Step);
        Step = -Step;
        QApplication::processEvents();
    }
    State.counters["cols"] = View->ColCount();
}
BENCHMARK(BM_ScrollOneLineBesideLongLine)->Arg(0)->Arg(200 << 20)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
