// Qt's raster drawing runs wide vector code that can leave the upper halves
// of the vector registers in use. Code built for plain SSE that runs next
// (the engine, between two strokes of a live trace) is then about half as
// fast on some processors until that state is cleared, so the painter
// device clears it after drawing.
#pragma once

namespace vantor {

// Clears the upper halves of the wide vector registers where the processor
// has them; nothing elsewhere. The ABI keeps no values there across a call.
void ReleaseWideVectorState();

}  // namespace vantor
