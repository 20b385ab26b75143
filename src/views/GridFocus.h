#pragma once

// Which cell of a grid the keyboard is on, and whether its ring is drawn. The ring
// shows only once the keyboard has been used, as with the toolkit's own controls.
class GridFocus {
public:
    int index() const { return m_index; }
    bool ringShown() const { return m_ringShown; }
    void setRingShown(bool shown) { m_ringShown = shown; }
    void setIndex(int index, int count);
    // Back to the first cell, ring hidden (each time the panel opens).
    void reset();

    // Moves for an arrow, Home/End or Page key over `count` cells laid out in `columns`,
    // a page being `pageRows` rows. False for any other key.
    bool move(int key, int count, int columns, int pageRows);

private:
    int m_index = 0;
    bool m_ringShown = false;
};
