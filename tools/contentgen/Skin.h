// The GUI skin: GUI/guiskintex.png (512 x 256) and GUI/guiskininfo.txt naming its rectangles.
#pragma once

namespace contentgen {

class Output;

void WriteSkin(Output& out);

}  // namespace contentgen
