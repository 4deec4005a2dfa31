// Writes the facts the page's tests check against (the test module's
// facts(): sizes, limits, colours and messages) as JSON, beside the test page.
// Usage: node write_facts.js path/to/chaosgame_test.js path/to/facts.json
"use strict";
const fs = require("fs");

require(process.argv[2])().then((M) => {
    fs.writeFileSync(process.argv[3], JSON.stringify(M.facts(), null, 1) + "\n");
});
