#pragma once

namespace kelmira {

// Where the kept scene's time goes, summed over a run: the benchmarks read and reset it. Wall
// seconds on the GUI thread; a draw is counted up to glFinish only when finishDraws is set,
// since otherwise the software rasteriser may still be working after the call returns.
struct RenderStats {
    double updateSeconds = 0; // bringing the kept geometry up to date with the board
    double uploadSeconds = 0; // writing changed vertices into buffer objects
    double drawSeconds = 0;   // the draw calls of the panes
    long long verticesUploaded = 0;
    long long chunksDrawn = 0;      // in sight (hidden ones included)
    long long chunksSkipped = 0;    // out of sight or of the redrawn rectangle
    long long componentsHidden = 0; // left out, hidden by what was drawn before them
    bool finishDraws = false;
};

RenderStats& renderStats();

} // namespace kelmira
