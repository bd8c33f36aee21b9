#pragma once

class QWidget;
class kuButtons_H;

// The option buttons of one container, kept as dynamic properties on the container:
// "ku_OptCount" holds the count and "<n>ku_Obj" (n = 1 .. count) the n-th member.
// Members are held without ownership; a member unregisters when it leaves option mode
// and when it is destroyed, so the table never points at a dead button.
namespace OptionGroup {

enum Action { ClearOthers = 0, Register = 1, Unregister = -1, AnyOn = 2 };

// Runs one action for button on container; returns the answer of AnyOn (else false).
// Register and Unregister also clear the others when button is on.
bool UpdateOptionGroup(QWidget* container, kuButtons_H* button, int action);

int count(const QWidget* container);
kuButtons_H* member(const QWidget* container, int slot); // slot 1 .. count
bool contains(const QWidget* container, const kuButtons_H* button);
// The member step slots away from button (-1 previous, +1 next, wrapping round) that
// can take the focus; nullptr when there is none other.
kuButtons_H* neighbour(const QWidget* container, const kuButtons_H* button, int step);

} // namespace OptionGroup
