#pragma once

// The fast import helper's face search (--faces): the grey picture on standard input, the faces'
// boxes on the answer descriptor. The detector is made before the sandbox is entered and
// runs on this one thread inside it.
namespace HelperFaces {

// The process's exit code: 0 with an answer written, 2 for a request that breaks the
// protocol, 3 to 5 when the process could not be set up or the answer not written.
int run();

} // namespace HelperFaces
