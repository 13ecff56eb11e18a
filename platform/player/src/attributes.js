// The gallery start tag's attributes, in the order the program writes them, each with the value
// the player takes when it is missing: from the table the C++ code is built from too.

import table from '../index_attributes.json';

export var DEFAULTS = {};
table.attributes.forEach(function (attribute) {
  DEFAULTS[attribute.name] = attribute.default;
});

export var ATTRIBUTES = Object.keys(DEFAULTS);
