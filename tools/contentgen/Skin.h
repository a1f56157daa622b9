// The GUI skin: GUI/guiskintex.png (512 x 256) and GUI/guiskininfo.txt naming its rectangles, and the
// same skin drawn finer for large screens, GUI/guiskintex_<N>x.png (N times 512 x 256).
#pragma once

namespace contentgen {

class Output;

void WriteSkin(Output& out);

}  // namespace contentgen
